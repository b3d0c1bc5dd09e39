// Renders Quillon's program icon into PNG files for the desktop's icon theme, one file per size.
// Usage: quillon_icon_pictures folder size...
// writes folder/<size>x<size>/apps/quillon.png for each size, the hicolor theme's layout.
// No display is needed: without QT_QPA_PLATFORM the offscreen platform is chosen.
#include <QDir>
#include <QGuiApplication>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "dialog/ProgramIcon.h"

namespace {

constexpr int kSmallestSize = 8;
constexpr int kLargestSize = 1024;

bool writeIcon(const QString& folder, int size) {
    const QString directory = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
    if (!QDir().mkpath(directory)) {
        return false;
    }
    return quillon::drawProgramIcon(size).save(directory + QStringLiteral("/quillon.png"), "PNG");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("Usage: quillon_icon_pictures folder size...\n", stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int index = 2; index < argc; ++index) {
        const int size = std::atoi(argv[index]);
        if (size < kSmallestSize || size > kLargestSize) {
            std::fprintf(stderr, "Icon size %s is outside %d to %d\n", argv[index], kSmallestSize,
                         kLargestSize);
            return 2;
        }
        if (!writeIcon(folder, size)) {
            std::fprintf(stderr, "Cannot write the %dx%d icon under %s\n", size, size, argv[1]);
            return 1;
        }
    }
    return 0;
}

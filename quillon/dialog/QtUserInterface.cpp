// Modal boxes for the conversions. Each pauses the busy cursor while it waits for the user.
#include "dialog/QtUserInterface.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

#include "dialog/BusyCursor.h"
#include "dialog/DatabaseNameDialog.h"

namespace quillon {

QString messageBoxTitle() {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QString qtFileFilter(std::string_view filter) {
    const QStringList parts =
        QString::fromLatin1(filter.data(), static_cast<qsizetype>(filter.size())).split(u'|');
    QStringList filters;
    for (qsizetype index = 0; index + 1 < parts.size(); index += 2) {
        const QString& description = parts[index];
        if (description.isEmpty()) {
            break;
        }
        QString patterns = parts[index + 1];
        patterns.replace(u';', u' ');
        filters << (description.contains(u'(')
                        ? description
                        : description + QStringLiteral(" (") + patterns + QStringLiteral(")"));
    }
    return filters.join(QStringLiteral(";;"));
}

QString textFromBytes(std::string_view text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
}

// The database name is stored in the handheld's 8-bit character set; Latin-1 is the part of it
// that Qt converts without extra libraries, and other characters become '?'.
std::string nameToBytes(const QString& name) {
    return name.toLatin1().toStdString();
}

void QtUserInterface::showMessage(std::string_view text) {
    const BusyCursorPause pause;
    QMessageBox box(QMessageBox::NoIcon, messageBoxTitle(), textFromBytes(text), QMessageBox::Ok,
                    owner_);
    box.exec();
}

std::optional<std::string> QtUserInterface::askDatabaseName() {
    const BusyCursorPause pause;
    DatabaseNameDialog dialog(owner_);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return nameToBytes(dialog.name());
}

bool QtUserInterface::confirm(std::string_view question) {
    const BusyCursorPause pause;
    QMessageBox box(QMessageBox::Question, messageBoxTitle(), textFromBytes(question),
                    QMessageBox::Yes | QMessageBox::No, owner_);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<std::string> QtUserInterface::chooseFileToOpen(std::string_view filter) {
    const BusyCursorPause pause;
    const QString path =
        QFileDialog::getOpenFileName(owner_, QString(), QString(), qtFileFilter(filter));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(path).toStdString();
}

}  // namespace quillon

// The main dialog on Qt's offscreen platform: its controls and texts at their template places,
// each button with a scripted file choice and message sink running the real conversions on files
// in a temporary folder, cancelling, the delimiter used both ways, the real database-name dialog
// asked again while its answer is empty and cancelled without writing anything, the question
// before an export replaces files, the about box, and the ways to end the dialog.
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>

#include "database/DatabaseReader.h"
#include "dialog/AboutDialog.h"
#include "dialog/ConverterDialog.h"
#include "dialog/DatabaseNameDialog.h"
#include "dialog/DialogUnits.h"
#include "dialog/GuiSession.h"
#include "dialog/QtUserInterface.h"
#include "support/TestSupport.h"
#include "ui/CommandLine.h"
#include "upgrade/PosixProcessRunner.h"

namespace quillon {
namespace {

// Files are chosen from a script and messages recorded together with the cursor shown while the
// conversion reported. The name request goes to the real dialog when realNameDialog is set, and
// questions to the real message box when realQuestions is.
class ScriptedDialogUi : public UserInterface {
  public:
    void showMessage(std::string_view text) override {
        messages.emplace_back(text);
        const QCursor* cursor = QGuiApplication::overrideCursor();
        busyAtMessage.push_back(cursor != nullptr && cursor->shape() == Qt::WaitCursor);
    }
    std::optional<std::string> askDatabaseName() override {
        if (realNameDialog) {
            return QtUserInterface().askDatabaseName();
        }
        std::optional<std::string> name = names.empty() ? std::nullopt : names.front();
        if (!names.empty()) {
            names.pop_front();
        }
        return name;
    }
    std::optional<std::string> chooseFileToOpen(std::string_view filter) override {
        filters.emplace_back(filter);
        std::optional<std::string> file = files.empty() ? std::nullopt : files.front();
        if (!files.empty()) {
            files.pop_front();
        }
        return file;
    }
    bool confirm(std::string_view question) override {
        questions.emplace_back(question);
        return realQuestions ? QtUserInterface().confirm(question) : true;
    }

    std::deque<std::optional<std::string>> files;
    std::deque<std::optional<std::string>> names;
    bool realNameDialog = false;
    bool realQuestions = false;  // else every question is answered Yes
    std::vector<std::string> questions;
    std::vector<std::string> filters;
    std::vector<std::string> messages;
    std::vector<bool> busyAtMessage;
};

// Answers modal widgets as they appear: each call of handle gets the active modal widget.
class ModalAnswerer {
  public:
    explicit ModalAnswerer(std::function<void(QWidget*)> handle) : handle_(std::move(handle)) {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            // A dialog shown again may reuse the address of the last one: mark each one answered.
            QWidget* modal = QApplication::activeModalWidget();
            if (modal != nullptr && !modal->property("answered").toBool()) {
                modal->setProperty("answered", true);
                handle_(modal);
            }
        });
        timer_.start(20);
    }

  private:
    std::function<void(QWidget*)> handle_;
    QTimer timer_;
};

std::string pathOf(const test::TempDir& dir, const char* name) {
    return dir.path(name);
}

}  // namespace

class DialogTest : public QObject {
    Q_OBJECT

  private:
    template <typename Widget>
    Widget* control(ConverterDialog& dialog, const char* name) {
        auto* widget = dialog.findChild<Widget*>(QString::fromLatin1(name));
        if (widget == nullptr) {
            qFatal("no control %s", name);
        }
        return widget;
    }
    void click(ConverterDialog& dialog, const char* name) {
        QTest::mouseClick(control<QPushButton>(dialog, name), Qt::LeftButton);
    }
    static std::string sampleDatabase() {
        using namespace std::string_literals;
        return test::buildDatabase(test::appInfoWithFields({"Name", "Phone"}),
                                   {{"Ann\0"s, "555\0"s}, {"Bob\0"s, "666\0"s}});
    }

    test::TempDir dir_;
    PosixProcessRunner runner_;

  private slots:
    void controlsAndTextsFollowTheTemplate() {
        ScriptedDialogUi ui;
        ConverterDialog dialog(ui, runner_);
        const DialogUnits units(dialog.font());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Tavlo Pro Converter 1.0e"));
        QCOMPARE(dialog.size(), units.toPixels(229, 137));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!dialog.windowIcon().isNull());

        struct ButtonCase {
            const char* name;
            const char* text;
            QRect geometry;
        };
        const ButtonCase buttons[] = {
            {"convertPdbToCsv", "Convert Tavlo Pro .PDB to .CSV", units.toPixels(7, 7, 215, 14)},
            {"convertCsvToPdb", "Convert Tavlo Pro .CSV to .PDB", units.toPixels(7, 26, 215, 14)},
            {"upgrade", "Convert Tavlo .pdb file to Tavlo Pro .pdb file",
             units.toPixels(7, 95, 215, 14)},
            {"exit", "Exit", units.toPixels(89, 116, 50, 14)},
        };
        for (const ButtonCase& button : buttons) {
            QPushButton* widget = control<QPushButton>(dialog, button.name);
            QCOMPARE(widget->text(), QString::fromLatin1(button.text));
            QCOMPARE(widget->geometry(), button.geometry);
            QCOMPARE(widget->isDefault(), std::string_view(button.name) == "exit");
        }
        auto* group = control<QGroupBox>(dialog, "fieldDelimiter");
        QCOMPARE(group->title(), QStringLiteral("Field Delimiter"));
        QCOMPARE(group->geometry(), units.toPixels(22, 47, 67, 39));
        auto* comma = control<QRadioButton>(dialog, "comma");
        auto* semicolon = control<QRadioButton>(dialog, "semicolon");
        QCOMPARE(comma->text(), QStringLiteral("Comma"));
        QCOMPARE(semicolon->text(), QStringLiteral("Semicolon"));
        QVERIFY(comma->isChecked() && !semicolon->isChecked());
        QCOMPARE(comma->parentWidget(), group);
        QCOMPARE(group->mapToParent(comma->pos()), units.toPixels(30, 58, 39, 10).topLeft());
        QCOMPARE(group->mapToParent(semicolon->pos()), units.toPixels(30, 71, 49, 10).topLeft());
        auto* info = control<QCheckBox>(dialog, "useInfoFile");
        QCOMPARE(info->text(), QStringLiteral("Use/Create Info file"));
        QVERIFY(info->isChecked());
        QCOMPARE(info->pos(), units.toPixels(133, 50, 75, 8).topLeft());
        QVERIFY(info->width() >= info->sizeHint().width());  // its text is never cut

        QCOMPARE(dialog.contextMenuPolicy(), Qt::ActionsContextMenu);
        QVERIFY(dialog.actions().contains(dialog.aboutAction()));
        QCOMPARE(dialog.aboutAction()->text(), QStringLiteral("&About Quillon..."));
        QCOMPARE(dialog.aboutAction()->shortcut(), QKeySequence(Qt::Key_F1));
        QCOMPARE(messageBoxTitle(), QStringLiteral("quillon_DialogTest"));
        QCOMPARE(qtFileFilter("PDB Files (*.pdb)|*.pdb||"), QStringLiteral("PDB Files (*.pdb)"));
        QCOMPARE(qtFileFilter("Text|*.txt;*.csv|All (*)|*||"),
                 QStringLiteral("Text (*.txt *.csv);;All (*)"));
    }

    void pdbButtonWritesTheCsvBesideTheChosenDatabase() {
        writeFile(pathOf(dir_, "names.pdb"), sampleDatabase());
        ScriptedDialogUi ui;
        ConverterDialog dialog(ui, runner_);
        ui.files = {pathOf(dir_, "names.pdb")};
        click(dialog, "convertPdbToCsv");
        QCOMPARE(ui.filters, std::vector<std::string>{"PDB Files (*.pdb)|*.pdb||"});
        QCOMPARE(test::readFile(pathOf(dir_, "names.csv")),
                 std::string("\"Name\",\"Phone\"\r\n\"Ann\",\"555\"\r\n\"Bob\",\"666\"\r\n"));
        QVERIFY(test::fileExists(pathOf(dir_, "names.ifo")));
        QCOMPARE(ui.messages, std::vector<std::string>{
                                  "Conversion of 2 records in " + pathOf(dir_, "names.pdb") +
                                  " to " + pathOf(dir_, "names.csv") + " was successful!"});
        QCOMPARE(ui.busyAtMessage, std::vector<bool>{true});
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        QCOMPARE(dialog.job().infoPath, pathOf(dir_, "names.ifo"));

        // The controls are read at each click: no information file once the box is cleared.
        std::filesystem::remove(pathOf(dir_, "names.ifo"));
        control<QCheckBox>(dialog, "useInfoFile")->setChecked(false);
        ui.files = {pathOf(dir_, "names.pdb")};
        click(dialog, "convertPdbToCsv");
        QVERIFY(!test::fileExists(pathOf(dir_, "names.ifo")));
        QCOMPARE(ui.messages.size(), size_t{2});
        QCOMPARE(ui.questions, std::vector<std::string>{pathOf(dir_, "names.csv") +
                                                        " already exists.\nDo you want to "
                                                        "replace it?"});
    }

    void csvButtonAsksForTheNameEachTimeAndBuildsTheDatabase() {
        writeFile(pathOf(dir_, "list.csv"), "Name,Phone\r\nAnn,555\r\n");
        writeFile(pathOf(dir_, "list.ifo"),
                  "1 1 \r\n80 80 \r\n80\r\n1\r\n0\r\n0 0 \r\n0 0 \r\n"
                  "456E645461766C6F4461746100\r\n");
        ScriptedDialogUi ui;
        ConverterDialog dialog(ui, runner_);
        ui.files = {pathOf(dir_, "list.csv"), pathOf(dir_, "list.csv")};
        ui.names = {"First", "Second"};
        click(dialog, "convertCsvToPdb");
        QCOMPARE(ui.filters, std::vector<std::string>{"CSV Files (*.csv)|*.csv||"});
        QCOMPARE(dialog.job().pdbPath, pathOf(dir_, "list.pdb"));
        QCOMPARE(test::readFile(pathOf(dir_, "list.pdb")).substr(0, 6), std::string("First\0", 6));
        click(dialog, "convertCsvToPdb");
        QCOMPARE(test::readFile(pathOf(dir_, "list.pdb")).substr(0, 7), std::string("Second\0", 7));
        QVERIFY(ui.names.empty());
        QCOMPARE(ui.messages.back(), "Conversion of 1 records in " + pathOf(dir_, "list.csv") +
                                         " to " + pathOf(dir_, "list.pdb") + " was successful!");
        QCOMPARE(ui.busyAtMessage.back(), true);
    }

    void cancellingTheFileChoiceRunsNothing() {
        writeFile(pathOf(dir_, "keep.pdb"), sampleDatabase());
        ScriptedDialogUi ui;
        ConverterDialog dialog(ui, runner_);
        ui.files = {pathOf(dir_, "keep.pdb")};
        click(dialog, "convertPdbToCsv");
        std::filesystem::remove(pathOf(dir_, "keep.csv"));
        std::filesystem::remove(pathOf(dir_, "keep.ifo"));
        const std::vector<std::string> before = test::filesIn(dir_.root());
        const DatabaseJob job = dialog.job();

        ui.files = {std::nullopt, std::nullopt, std::nullopt};
        for (const char* button : {"convertPdbToCsv", "convertCsvToPdb", "upgrade"}) {
            click(dialog, button);
        }
        QCOMPARE(ui.filters.size(), size_t{4});
        QCOMPARE(ui.messages.size(), size_t{1});
        QCOMPARE(test::filesIn(dir_.root()), before);
        QCOMPARE(dialog.job().pdbPath, job.pdbPath);
        QCOMPARE(dialog.job().csvPath, job.csvPath);
    }

    void semicolonIsUsedForWritingAndForReading() {
        writeFile(pathOf(dir_, "semi.pdb"), sampleDatabase());
        ScriptedDialogUi ui;
        ConverterDialog dialog(ui, runner_);
        control<QRadioButton>(dialog, "semicolon")->click();
        control<QCheckBox>(dialog, "useInfoFile")->setChecked(false);
        ui.files = {pathOf(dir_, "semi.pdb")};
        click(dialog, "convertPdbToCsv");
        QCOMPARE(dialog.job().delimiter, ';');
        QCOMPARE(test::readFile(pathOf(dir_, "semi.csv")),
                 std::string("\"Name\";\"Phone\"\r\n\"Ann\";\"555\"\r\n\"Bob\";\"666\"\r\n"));

        ui.files = {pathOf(dir_, "semi.csv")};
        ui.names = {"Semi"};
        click(dialog, "convertCsvToPdb");
        QCOMPARE(ui.messages.back(), "Conversion of 2 records in " + pathOf(dir_, "semi.csv") +
                                         " to " + pathOf(dir_, "semi.pdb") + " was successful!");
        InputFile database;
        QVERIFY(database.open(pathOf(dir_, "semi.pdb")));
        DatabaseReader reader(database);
        QVERIFY(reader.readPrologue());
        QCOMPARE(reader.appInfo().fieldCount, size_t{2});  // a comma reading would see one field
        QCOMPARE(reader.appInfo().names[1], std::string("Phone"));

        control<QRadioButton>(dialog, "comma")->click();
        ui.files = {pathOf(dir_, "semi.csv")};
        ui.names = {"Comma"};
        click(dialog, "convertCsvToPdb");
        QCOMPARE(dialog.job().delimiter, ',');
    }

    void nameDialogIsAskedAgainWhileTheNameIsEmpty() {
        writeFile(pathOf(dir_, "named.csv"), "Name\r\nAnn\r\n");
        ScriptedDialogUi ui;
        ui.realNameDialog = true;
        ConverterDialog dialog(ui, runner_);
        control<QCheckBox>(dialog, "useInfoFile")->setChecked(false);
        ui.files = {pathOf(dir_, "named.csv")};
        int shown = 0;
        ModalAnswerer answerer([&shown](QWidget* modal) {
            auto* nameDialog = dynamic_cast<DatabaseNameDialog*>(modal);
            if (nameDialog == nullptr) {
                modal->close();
                return;
            }
            ++shown;
            QCOMPARE(nameDialog->windowTitle(), QStringLiteral("Dialog"));
            QVERIFY(nameDialog->findChild<QLabel*>()->text() ==
                    QStringLiteral("Name for the database in Tavlo:"));
            QLineEdit* edit = nameDialog->edit();
            if (shown == 1) {
                QTest::mouseClick(nameDialog->okButton(), Qt::LeftButton);  // OK with no name
            } else {
                QTest::keyClicks(edit, QString(35, u'x'));
                QCOMPARE(edit->text().size(), 30);
                edit->setText(QStringLiteral("Typed Name"));
                QTest::keyClick(edit, Qt::Key_Return);  // the default button
            }
        });
        click(dialog, "convertCsvToPdb");
        QCOMPARE(shown, 2);
        QCOMPARE(test::readFile(pathOf(dir_, "named.pdb")).substr(0, 11),
                 std::string("Typed Name\0", 11));
    }

    // Cancel, Escape and the close box end the request: no message, and the database that was
    // there keeps its bytes, with no temporary file left beside it.
    void cancellingTheNameRequestWritesNothing() {
        writeFile(pathOf(dir_, "kept.csv"), "Name\r\nAnn\r\n");
        writeFile(pathOf(dir_, "kept.pdb"), "the user's database");
        const std::vector<std::string> before = test::filesIn(dir_.root());
        ScriptedDialogUi ui;
        ui.realNameDialog = true;
        ConverterDialog dialog(ui, runner_);
        control<QCheckBox>(dialog, "useInfoFile")->setChecked(false);
        for (int way = 0; way < 3; ++way) {
            ui.files = {pathOf(dir_, "kept.csv")};
            bool asked = false;
            ModalAnswerer answerer([&asked, way](QWidget* modal) {
                auto* nameDialog = dynamic_cast<DatabaseNameDialog*>(modal);
                if (nameDialog == nullptr) {
                    modal->close();
                    return;
                }
                asked = true;
                const DialogUnits units(nameDialog->font());
                QCOMPARE(nameDialog->cancelButton()->text(), QStringLiteral("Cancel"));
                QCOMPARE(nameDialog->okButton()->geometry(), units.toPixels(37, 55, 50, 14));
                QCOMPARE(nameDialog->cancelButton()->geometry(), units.toPixels(99, 55, 50, 14));
                QVERIFY(nameDialog->okButton()->isDefault());
                nameDialog->edit()->setText(QStringLiteral("Not Used"));
                if (way == 0) {
                    QTest::mouseClick(nameDialog->cancelButton(), Qt::LeftButton);
                } else if (way == 1) {
                    QTest::keyClick(nameDialog->edit(), Qt::Key_Escape);
                } else {
                    nameDialog->close();
                }
            });
            click(dialog, "convertCsvToPdb");
            QVERIFY(asked);
        }
        QVERIFY(ui.messages.empty());
        QCOMPARE(test::readFile(pathOf(dir_, "kept.pdb")), std::string("the user's database"));
        QCOMPARE(test::filesIn(dir_.root()), before);
    }

    // Exporting onto an existing CSV, or with the box ticked an existing information file, asks
    // first in a Yes/No box whose default is No; No runs nothing.
    void exportingOntoExistingFilesAsksFirst() {
        test::TempDir folder;
        writeFile(folder.path("names.pdb"), sampleDatabase());
        const std::string newCsv = "\"Name\",\"Phone\"\r\n\"Ann\",\"555\"\r\n\"Bob\",\"666\"\r\n";
        struct QuestionCase {
            std::vector<const char*> existing;  // files there before, each holding "old"
            bool infoBox;
            const char* answer;  // "" when no question may come
            std::string question;
        };
        const std::string csv = folder.path("names.csv");
        const std::string ifo = folder.path("names.ifo");
        const QuestionCase cases[] = {
            {{"names.csv"}, true, "No", csv + " already exists.\nDo you want to replace it?"},
            {{"names.csv", "names.ifo"},
             true,
             "No",
             csv + " and " + ifo + " already exist.\nDo you want to replace them?"},
            {{"names.ifo"}, true, "Yes", ifo + " already exists.\nDo you want to replace it?"},
            {{"names.ifo"}, false, "", ""},
            {{"names.csv"}, false, "Yes", csv + " already exists.\nDo you want to replace it?"},
        };
        for (const QuestionCase& testCase : cases) {
            for (const char* name : {"names.csv", "names.ifo"}) {
                std::filesystem::remove(folder.path(name));
            }
            for (const char* name : testCase.existing) {
                writeFile(folder.path(name), "old");
            }
            ScriptedDialogUi ui;
            ui.realQuestions = true;
            ConverterDialog dialog(ui, runner_);
            control<QCheckBox>(dialog, "useInfoFile")->setChecked(testCase.infoBox);
            ui.files = {folder.path("names.pdb")};
            QStringList seen;
            const QString answer = QString::fromLatin1(testCase.answer);
            ModalAnswerer answerer([&seen, &answer](QWidget* modal) {
                auto* box = dynamic_cast<QMessageBox*>(modal);
                if (box == nullptr) {
                    modal->close();
                    return;
                }
                seen << box->text();
                QCOMPARE(box->standardButtons(),
                         QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No));
                QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
                QCOMPARE(box->windowTitle(), QStringLiteral("quillon_DialogTest"));
                box->button(answer == QStringLiteral("Yes") ? QMessageBox::Yes : QMessageBox::No)
                    ->click();
            });
            click(dialog, "convertPdbToCsv");
            const bool asked = testCase.answer[0] != '\0';
            QCOMPARE(ui.questions, asked ? std::vector<std::string>{testCase.question}
                                         : std::vector<std::string>{});
            QCOMPARE(seen.size(), asked ? 1 : 0);
            const bool converted = !asked || answer == QStringLiteral("Yes");
            QCOMPARE(ui.messages.size(), size_t{converted ? 1u : 0u});
            QCOMPARE(test::readFile(csv), converted ? newCsv : std::string("old"));
            if (!converted) {
                QCOMPARE(dialog.job().pdbPath, std::string());
            }
        }
    }

    void aboutBoxShowsOnF1() {
        ScriptedDialogUi ui;
        ConverterDialog dialog(ui, runner_);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QApplication::setActiveWindow(&dialog);
        bool seen = false;
        ModalAnswerer answerer([&seen](QWidget* modal) {
            auto* about = dynamic_cast<AboutDialog*>(modal);
            if (about != nullptr) {
                seen = true;
                QCOMPARE(about->windowTitle(), QStringLiteral("About Quillon"));
                QStringList texts;
                for (const QLabel* label : about->findChildren<QLabel*>()) {
                    texts << label->text();
                }
                QVERIFY(texts.contains(QStringLiteral("Tavlo Pro Converter Version 1.0e")));
                QVERIFY(!about->findChild<QLabel*>(QStringLiteral("icon"))->pixmap().isNull());
                QTest::mouseClick(about->findChild<QPushButton*>(), Qt::LeftButton);
            } else {
                modal->close();
            }
        });
        QTest::keyClick(&dialog, Qt::Key_F1);
        QTRY_VERIFY(seen);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
    }

    void exitEscapeAndTheCloseBoxEndTheDialog() {
        ScriptedDialogUi ui;
        for (int way = 0; way < 3; ++way) {
            ConverterDialog dialog(ui, runner_);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            if (way == 0) {
                click(dialog, "exit");
            } else if (way == 1) {
                QTest::keyClick(&dialog, Qt::Key_Escape);
            } else {
                dialog.close();
            }
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), way == 0 ? QDialog::Accepted : QDialog::Rejected);
        }
    }

    // The third button with the real companion programs, found in the current folder.
    void upgradeButtonRunsTheCompanions() {
        test::TempDir folder;
        std::filesystem::copy_file(QUILLON_FERRAND_BINARY, folder.path("ferrand.exe"));
        std::filesystem::copy_file(QUILLON_GOSTWICK_BINARY, folder.path("gostwick.exe"));
        writeFile(folder.path("phones.pdb"), test::sampleTavlo3Database());
        const std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(folder.root());
        ScriptedDialogUi ui;
        ConverterDialog dialog(ui, runner_);
        ui.files = {folder.path("phones.pdb")};
        click(dialog, "upgrade");
        std::filesystem::current_path(previous);
        QCOMPARE(ui.messages,
                 std::vector<std::string>{
                     "Conversion of Tavlo 3.x format .pdb file: phones.pdb complete.\nYou should "
                     "now use InstallApp to install the converted .pdb file back to your Palm "
                     "unit."});
        QCOMPARE(dialog.job().pdbPath, folder.path("phonesPro.pdb"));
        QCOMPARE(test::filesIn(folder.root()),
                 (std::vector<std::string>{"ferrand.exe", "gostwick.exe", "phones.pdb",
                                           "phonesPro.pdb"}));
    }

    // The production boxes: a message box titled with the program's name and an OK button only,
    // and the file-open dialog with the filter turned into Qt's form.
    void realMessageBoxAndFileDialog() {
        QtUserInterface ui;
        QStringList seen;
        ModalAnswerer answerer([&seen](QWidget* modal) {
            if (auto* box = dynamic_cast<QMessageBox*>(modal)) {
                seen << box->windowTitle() << box->text();
                QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
                box->button(QMessageBox::Ok)->click();
            } else if (auto* files = dynamic_cast<QFileDialog*>(modal)) {
                seen << files->nameFilters();
                files->reject();
            } else {
                modal->close();
            }
        });
        ui.showMessage("Error - Can't open pdb file");
        QCOMPARE(ui.chooseFileToOpen("PDB Files (*.pdb)|*.pdb||"), std::nullopt);  // cancelled
        QCOMPARE(seen, (QStringList{QStringLiteral("quillon_DialogTest"),
                                    QStringLiteral("Error - Can't open pdb file"),
                                    QStringLiteral("PDB Files (*.pdb)")}));
    }

    // Batch mode shows the name dialog when a display exists (here the offscreen platform), and
    // knows when none does.
    void batchModeAsksForTheNameInTheDialog() {
        writeFile(pathOf(dir_, "batch.csv"), "Name\r\nAnn\r\n");
        int argc = 1;
        char name[] = "quillon";
        char* argv[] = {name, nullptr};
        GuiSession session(argc, argv);
        BatchUserInterface ui(session);
        auto answerer = std::make_unique<ModalAnswerer>([](QWidget* modal) {
            if (auto* nameDialog = dynamic_cast<DatabaseNameDialog*>(modal)) {
                nameDialog->edit()->setText(QStringLiteral("Batch Name"));
                QTest::mouseClick(nameDialog->okButton(), Qt::LeftButton);
            } else {
                modal->close();
            }
        });
        DatabaseJob job;
        BatchResult result = BatchResult::NotUnderstood;
        const std::string line =
            "1 \"" + pathOf(dir_, "batch.csv") + "\" \"" + pathOf(dir_, "batch.pdb") + "\" \"\"";
        QCOMPARE(RunCommandLine(line, job, ui, &result), StartMode::Batch);
        QCOMPARE(result, BatchResult::Converted);
        answerer.reset();
        const std::string named = test::readFile(pathOf(dir_, "batch.pdb"));
        QCOMPARE(named.substr(0, 11), std::string("Batch Name\0", 11));

        // Cancel in batch mode fails the run, with its report in gostwick.err (in the current
        // folder) and the database as it was.
        {
            test::TempDir folder;
            const std::filesystem::path previous = std::filesystem::current_path();
            std::filesystem::current_path(folder.root());
            ModalAnswerer canceller([](QWidget* modal) {
                if (auto* nameDialog = dynamic_cast<DatabaseNameDialog*>(modal)) {
                    QTest::mouseClick(nameDialog->cancelButton(), Qt::LeftButton);
                } else {
                    modal->close();
                }
            });
            DatabaseJob cancelledJob;
            RunCommandLine(line, cancelledJob, ui, &result);
            const std::string report = test::readFile(folder.path("gostwick.err"));
            std::filesystem::current_path(previous);
            QCOMPARE(result, BatchResult::Failed);
            QCOMPARE(report, std::string("Error - No name for the database was given"));
            QCOMPARE(test::readFile(pathOf(dir_, "batch.pdb")), named);
        }

        QVERIFY(GuiSession::displayAvailable());
        const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
        const QByteArray display = qgetenv("DISPLAY");
        const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
        qunsetenv("QT_QPA_PLATFORM");
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
        const bool withoutAny = GuiSession::displayAvailable();
        qputenv("DISPLAY", ":7");
        const bool withX = GuiSession::displayAvailable();
        qunsetenv("DISPLAY");
        for (const auto& [variable, value] :
             {std::pair{"QT_QPA_PLATFORM", platform}, std::pair{"DISPLAY", display},
              std::pair{"WAYLAND_DISPLAY", wayland}}) {
            if (!value.isEmpty()) {
                qputenv(variable, value);
            }
        }
        QVERIFY(!withoutAny);
        QVERIFY(withX);
    }

  private:
    static void writeFile(const std::string& path, std::string_view bytes) {
        test::writeFile(path, bytes);
    }
};

}  // namespace quillon

QTEST_MAIN(quillon::DialogTest)
#include "DialogTest.moc"

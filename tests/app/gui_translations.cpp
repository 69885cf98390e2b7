// Qt's own dialogs follow the program's language: the real file dialog and
// message box, shown and read back while they are open.
#include "app/StringTable.h"
#include "app/VX35_3App.h"
#include "platform/Modal.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>

namespace {

// Runs show() with the seam off, reads the button texts of the modal
// dialog it opens, and closes that dialog.
QStringList ButtonsOfTheShownDialog(const std::function<void()>& show)
{
    QStringList texts;
    QTimer::singleShot(0, [&] {
        QWidget* shown = QApplication::activeModalWidget();
        if (!shown) {
            ADD_FAILURE() << "no dialog shown";
            return;
        }
        for (auto* box : shown->findChildren<QDialogButtonBox*>())
            for (QAbstractButton* b : box->buttons())
                texts << b->text().remove(QLatin1Char('&'));
        if (auto* d = qobject_cast<QDialog*>(shown))
            d->reject();
    });
    vx::ModalScript::Activate(false);
    show();
    vx::ModalScript::Activate(true);
    return texts;
}

struct QtTranslations : ::testing::Test {
    void TearDown() override { vx::ApplyProgramLanguage(vx::kLanguageEnglish); }
};

} // namespace

TEST_F(QtTranslations, TheFileDialogAndMessageBoxSpeakTheProgramsLanguage)
{
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qt_de.qm")))
        GTEST_SKIP() << "Qt's translations are not installed (scripts/setup installs them)";
    auto fileDialogButtons = [] {
        return ButtonsOfTheShownDialog([] {
            CFileDialog dlg(FALSE, "csv", nullptr, OFN_OVERWRITEPROMPT, "(*.csv)|*.csv|");
            EXPECT_EQ(dlg.DoModal(), IDCANCEL);
        });
    };
    auto messageBoxButtons = [] {
        return ButtonsOfTheShownDialog([] { MessageBox(nullptr, "?", "VX35 VS", MB_YESNO); });
    };

    ASSERT_TRUE(vx::ApplyProgramLanguage(vx::kLanguageGerman));
    QStringList buttons = fileDialogButtons();
    EXPECT_TRUE(buttons.contains(QStringLiteral("Speichern"))) << buttons.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("Abbrechen"))) << buttons.join(QLatin1Char('|')).toStdString();
    buttons = messageBoxButtons();
    EXPECT_TRUE(buttons.contains(QStringLiteral("Ja"))) << buttons.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("Nein"))) << buttons.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(CFileDialog::NamedFilters("(*.*)|*.*|All Files (*.*)|*.*|"),
              (std::vector<CString>{"Alle Dateien (*.*)", "Alle Dateien (*.*)"}));

    ASSERT_TRUE(vx::ApplyProgramLanguage(vx::kLanguageSpanish));
    buttons = fileDialogButtons();
    EXPECT_TRUE(buttons.contains(QStringLiteral("Cancelar"))) << buttons.join(QLatin1Char('|')).toStdString();

    // Back in English, nothing of the earlier language is left.
    ASSERT_TRUE(vx::ApplyProgramLanguage(vx::kLanguageEnglish));
    buttons = fileDialogButtons();
    EXPECT_TRUE(buttons.contains(QStringLiteral("Save"))) << buttons.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(buttons.contains(QStringLiteral("Cancel"))) << buttons.join(QLatin1Char('|')).toStdString();
}

// Every text fits its control in every language: each dialog template under
// res/ (globbed, so templates added later are walked too) is shown as the
// program shows it, with the texts the program puts in it in German,
// English, French and Spanish, and each static text, button, check box,
// radio button and group title is measured with its real font against its
// rectangle. A failure names the file, the dialog, the control and the
// language.
#include "tests/support/RealMainPages.h"
#include "../app/support_fakeport.h"

#include "app/DocumentationDlgTiny.h"
#include "app/NestedSheetPage.h"
#include "app/PlaceholderPages.h"
#include "app/SchnittstellenAuswahlDlg.h"
#include "app/StringTable.h"
#include "app/VX35_3Dlg.h"
#include "chart/ChartPage.h"
#include "measure/GraphicDisplayWnd.h"
#include "measure/MessenDlg.h"
#include "pages/DatenloggerDlg.h"
#include "pages/EinrichtenDlg.h"
#include "pages/SteuernDlg.h"
#include "platform/DialogTemplate.h"
#include "platform/Messages.h"
#include "platform/Profile.h"
#include "platform/Text1252.h"
#include "res/Resources.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

void Settle()
{
    for (int i = 0; i < 10; ++i) {
        QCoreApplication::processEvents();
        vx::ProcessPendingMessages();
    }
}

struct Language {
    int offset;
    const char* tag;
};
constexpr Language kLanguages[] = {{vx::kLanguageGerman, "de"},
                                   {vx::kLanguageEnglish, "en"},
                                   {vx::kLanguageFrench, "fr"},
                                   {vx::kLanguageSpanish, "es"}};

// The dialog templates in the source tree, by id, with the file that
// defines the one in use (the last in path order, as the program reads them).
std::map<UINT, std::string> TemplateFiles()
{
    std::map<UINT, std::string> files;
    QStringList paths;
    QDirIterator it(QStringLiteral(VX35_SOURCE_DIR "/res"), {QStringLiteral("*.vxr")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        paths << it.next();
    paths.sort();
    for (const QString& path : paths) {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        vx::ResourceSet set;
        std::string error;
        const QByteArray text = f.readAll();
        const std::string name = path.mid(static_cast<int>(sizeof(VX35_SOURCE_DIR))).toStdString();
        EXPECT_TRUE(vx::ParseResources(std::string_view(text.constData(), static_cast<size_t>(text.size())), name,
                                       set, error))
            << error;
        for (const vx::DialogTemplate& d : set.dialogs)
            files[d.id] = name;
    }
    return files;
}

QString Shown(const CString& text)
{
    // A single '&' marks the mnemonic and is not drawn; "&&" is one '&'.
    QString s = vx::ToQString(text);
    s.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    s.remove(QLatin1Char('&'));
    s.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return s;
}

// How much room a control's text lacks (0: it fits), with what it measured.
struct Fit {
    int lacking = 0;
    QString detail;
};

Fit Measure(QWidget* w, const QString& text)
{
    const QFontMetrics fm(w->font());
    QStyleOptionButton opt;
    opt.initFrom(w);
    opt.rect = w->rect();
    opt.text = text;
    const int textWidth = fm.horizontalAdvance(text);
    auto widthFit = [&](int room) {
        return Fit{std::max(0, textWidth - room),
                   QStringLiteral("needs %1 px, has %2 px").arg(textWidth).arg(room)};
    };
    if (qobject_cast<QGroupBox*>(w)) {
        // The title sits 7 px in with 2 px padding each side; the frame
        // should show as much on the right.
        return widthFit(w->width() - 2 * 7 - 2 * 2);
    }
    if (qobject_cast<QCheckBox*>(w))
        return widthFit(w->style()->subElementRect(QStyle::SE_CheckBoxContents, &opt, w).width());
    if (qobject_cast<QRadioButton*>(w))
        return widthFit(w->style()->subElementRect(QStyle::SE_RadioButtonContents, &opt, w).width());
    if (qobject_cast<QPushButton*>(w))
        return widthFit(w->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, w).width());
    if (auto* label = qobject_cast<QLabel*>(w)) {
        const QRect room = label->contentsRect();
        const int flags = label->wordWrap() ? int(Qt::TextWordWrap) : 0;
        const QRect need = fm.boundingRect(QRect(0, 0, room.width(), 100000), flags | int(label->alignment()), text);
        // A line may overhang by the last glyph's bearing; a pixel is not a cut.
        const int lackW = std::max(0, need.width() - room.width() - 1);
        const int lackH = std::max(0, need.height() - room.height());
        return Fit{std::max(lackW, lackH), QStringLiteral("needs %1 px on one line (%2 px high), has %3x%4 px")
                                               .arg(textWidth)
                                               .arg(fm.height())
                                               .arg(room.width())
                                               .arg(room.height())};
    }
    return {};
}

const char* KindName(vx::ControlKind k)
{
    switch (k) {
    case vx::ControlKind::PushButton: return "button";
    case vx::ControlKind::CheckBox: return "check box";
    case vx::ControlKind::RadioButton: return "radio button";
    case vx::ControlKind::GroupBox: return "group box";
    case vx::ControlKind::Static: return "static text";
    default: return "control";
    }
}

class TextFit {
public:
    explicit TextFit(std::map<UINT, std::string> files) : m_files(std::move(files)) {}

    // Measures every text control of a shown dialog in one language.
    void Check(CDialog* dlg, const char* language)
    {
        const vx::DialogTemplate* tpl = dlg ? dlg->GetTemplate() : nullptr;
        if (!tpl)
            return;
        m_checked.insert(tpl->id);
        for (const vx::ControlTemplate& c : tpl->controls) {
            using K = vx::ControlKind;
            if (c.kind != K::PushButton && c.kind != K::CheckBox && c.kind != K::RadioButton && c.kind != K::GroupBox
                && c.kind != K::Static)
                continue;
            const DWORD type = c.style & 0x1F;
            if (c.kind == K::Static && (c.image || type > SS_RIGHT))
                continue;   // pictures, frames and boxes have no text to fit
            if (c.kind == K::PushButton && (c.style & BS_TYPEMASK) == BS_OWNERDRAW)
                continue;   // the program draws those itself
            CWnd* wnd = c.id >= 0 ? dlg->GetDlgItem(c.id) : nullptr;
            QWidget* peer = wnd ? wnd->GetPeer() : nullptr;
            if (c.id >= 0 && !peer)
                continue;
            QWidget* own = peer;
            if (!own) {
                // Unaddressed labels keep their template text: find them by place.
                const CRect px = vx::DluToPixels(c.dlu);
                for (QWidget* child : dlg->GetPeer()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                    if (child->geometry() == QRect(px.left, px.top, px.Width(), px.Height()))
                        own = child;
                if (!own)
                    continue;
            }
            const QString text = Shown(wnd ? wnd->GetWindowTextString() : c.text);
            if (text.trimmed().isEmpty())
                continue;
            const Fit fit = Measure(own, text);
            ++m_measured;
            if (fit.lacking > 0) {
                const auto file = m_files.find(tpl->id);
                m_failures.push_back(QStringLiteral("%1: dialog %2 \"%3\", %4 %5 [%6]: \"%7\" %8")
                                         .arg(QString::fromStdString(file == m_files.end() ? "?" : file->second))
                                         .arg(tpl->id)
                                         .arg(vx::ToQString(tpl->caption))
                                         .arg(QString::fromLatin1(KindName(c.kind)))
                                         .arg(c.id)
                                         .arg(QString::fromLatin1(language), text, fit.detail)
                                         .toStdString());
            }
        }
    }

    const std::set<UINT>& Checked() const { return m_checked; }
    const std::vector<std::string>& Failures() const { return m_failures; }
    int Measured() const { return m_measured; }

private:
    std::map<UINT, std::string> m_files;
    std::set<UINT> m_checked;
    std::vector<std::string> m_failures;
    int m_measured = 0;
};

// The parameter grid's column titles read whole at the page's own font
// (no smaller one), each over its own column of fields.
void CheckColumnTitles(CDialog* page, const char* language, std::vector<std::string>& failures)
{
    const int titles[][2] = {{1119, 1134}, {1121, 1144}, {1123, 1154}, {1369, 1164}, {1370, 1372}, {1371, 1382}};
    for (const auto& [title, column] : titles) {
        CRect t, c;
        page->GetDlgItem(title)->GetWindowRect(&t);
        page->GetDlgItem(column)->GetWindowRect(&c);
        if (page->GetDlgItem(title)->GetPeer()->font() != page->GetPeer()->font() || t.left < c.left || t.right > c.right)
            failures.push_back(std::string(language) + " " + std::to_string(title) + ": smaller font or beyond its column");
    }
}

} // namespace

TEST(TextFit, EveryTextFitsItsControlInEveryLanguage)
{
    vxres::InstallResources();
    vx::InstallStringTable();
    const std::map<UINT, std::string> files = TemplateFiles();
    ASSERT_FALSE(files.empty());
    TextFit fit(files);

    std::vector<std::string> columnFailures;
    InstallRealMainPages();
    vx::WriteProfileString("SerPort1", "Port", "OffLine");
    for (const Language& language : kLanguages) {
        // The main dialog with all its pages, started in the language.
        vx::WriteProfileInt("Optionen", "Sprache", language.offset);
        auto dlg = std::make_unique<CVX35_3Dlg>();
        dlg->SetPortManFactory([](CWnd* owner) { return std::unique_ptr<CPortManGui>(new FakePortMan(owner)); });
        ASSERT_TRUE(dlg->Create(CVX35_3Dlg::IDD));
        dlg->ShowWindow(SW_SHOW);
        for (int tab = 0; tab < 4; ++tab) {
            dlg->GetSheet().SetActivePage(tab);
            Settle();
            if (auto* nested = dynamic_cast<CNestedSheetPage*>(dlg->GetPage(tab))) {
                for (int n = 0; n < nested->GetNestedSheet().GetPageCount(); ++n) {
                    nested->GetNestedSheet().SetActivePage(n);
                    Settle();
                }
            }
        }
        fit.Check(dlg.get(), language.tag);
        for (int i = 0; i < 9; ++i)
            if (CMyPropertyPage* page = dlg->GetPage(i); page && page->IsWindow()) {
                fit.Check(page, language.tag);
                if (page->GetTemplate() && page->GetTemplate()->id == 115)
                    CheckColumnTitles(page, language.tag, columnFailures);
            }

        // For a person to look at: the commands page and the measure
        // configuration page, shown in the program's window.
        if (language.offset == vx::kLanguageFrench || language.offset == vx::kLanguageSpanish) {
            auto* setup = dynamic_cast<CNestedSheetPage*>(dlg->GetPage(0));
            ASSERT_NE(setup, nullptr);
            dlg->GetSheet().SetActivePage(0);
            for (int n = 0; n < setup->GetNestedSheet().GetPageCount(); ++n) {
                auto* page = dynamic_cast<CDialog*>(setup->GetNestedSheet().GetPage(n));
                const UINT id = page && page->GetTemplate() ? page->GetTemplate()->id : 0;
                if (id != 115 && id != 117 && id != 121)
                    continue;
                setup->GetNestedSheet().SetActivePage(n);
                Settle();
                const QImage shot = dlg->GetPeer()->window()->grab().toImage();
                EXPECT_TRUE(shot.save(QStringLiteral("%1/textfit_%2_%3.png")
                                          .arg(QString::fromLatin1(VX35_BINARY_DIR), QString::fromLatin1(language.tag))
                                          .arg(id)));
            }
        }

        // The live chart's property window, with the texts the measure page
        // gives it, on each of its tabs.
        for (int i = 0; i < 9; ++i) {
            auto* measure = dynamic_cast<CMessenDlg*>(dlg->GetPage(i));
            if (!measure || !measure->IsWindow())
                continue;
            CGraphicDisplayWnd& display = measure->GetDisplay();
            display.SendMessage(WM_COMMAND, CGraphicDisplayWnd::kCmdProperties, 0);
            Settle();
            CChartPage* sheet = display.GetChartPage();
            ASSERT_NE(sheet, nullptr);
            fit.Check(sheet, language.tag);
            for (int tab = 0; tab < 3; ++tab) {
                sheet->SelectPage(tab);
                Settle();
                fit.Check(sheet->GetPage(tab), language.tag);
            }
            sheet->CloseSheet();
        }

        // The dialogs the menu opens.
        CSchnittstellenAuswahlDlg port(dlg.get());
        port.m_iLanguageOffset = language.offset;
        port.m_strTitle = vx::LoadText(5140, language.offset);
        ASSERT_TRUE(port.Create(CSchnittstellenAuswahlDlg::IDD, dlg.get()));
        fit.Check(&port, language.tag);
        port.DestroyWindow();
        CDocumentationDlgTiny doc;
        const int offset = language.offset;
        doc.SetLanguageOffsetPointer(&offset);
        ASSERT_TRUE(doc.Create(CDocumentationDlgTiny::IDD, dlg.get()));
        fit.Check(&doc, language.tag);
        doc.DestroyWindow();

        dlg->DestroyWindow();
        dlg.reset();
    }
    SetMainPageFactory({});

    // Templates no code above shows (added later, or shown by a class this
    // test does not know): their own texts, in their own dialog.
    for (const auto& [id, file] : files) {
        if (fit.Checked().count(id))
            continue;
        CDialog plain(id);
        if (!plain.Create(id)) {
            ADD_FAILURE() << file << ": dialog " << id << " could not be created";
            continue;
        }
        fit.Check(&plain, "template");
        plain.DestroyWindow();
    }

    for (const auto& [id, file] : files)
        EXPECT_TRUE(fit.Checked().count(id)) << file << ": dialog " << id << " was not walked";
    EXPECT_GT(fit.Measured(), 100);
    std::string all;
    for (const std::string& f : fit.Failures())
        all += f + "\n";
    EXPECT_TRUE(fit.Failures().empty()) << fit.Failures().size() << " texts do not fit:\n" << all;
    EXPECT_EQ(columnFailures, std::vector<std::string>{});
}

// The per-user profile on QSettings: what the program stores must come back
// exactly, including the 24-byte export record.
#include "platform/Modal.h"
#include "platform/Profile.h"
#include "platform/Text1252.h"
#include "tests/support/Bounded.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

QByteArray fileContents()
{
    QFile f(vx::ToQString(vx::ProfileFilePath()));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(Profile, LivesUnderTheOrganisationAndApplicationInTheConfigFolder)
{
    const CString home = getenv("XDG_CONFIG_HOME");
    ASSERT_FALSE(home.IsEmpty());
    EXPECT_EQ(vx::ProfileFilePath(), home + "/Quorin Vandelwerk GmbH/VX35 VS.conf");
}

TEST(Profile, StringsRoundTripAs1252Bytes)
{
    const CString text = "0; 0; 1; 0.000000";
    ASSERT_TRUE(vx::WriteProfileString("Messenkonfiguration", "KANAL 0", text));
    const CString special("\xE4\xF6\xFC\xDF \xB5m \xB0" "C \x80", 12);
    ASSERT_TRUE(vx::WriteProfileString("Optionen", "Logo", special));
    vx::ReloadProfile();   // from the file, not from a cache
    EXPECT_EQ(vx::GetProfileString("Messenkonfiguration", "KANAL 0"), text);
    EXPECT_EQ(vx::GetProfileString("Optionen", "Logo"), special);
    EXPECT_EQ(vx::GetProfileString("Messenkonfiguration", "KANAL 3", "dflt"), CString("dflt"));
    EXPECT_EQ(vx::GetProfileString("Messenkonfiguration", "KANAL 3"), CString(""));
    // Texts the settings file format treats specially come back as written
    // (the export settings hold a ',' separator, paths hold '\\').
    const char* awkward[] = {",", "a, b", " padded ", "\"quoted\"", "C:\\x\\y", "#1", "k=v", "@at", "", "true"};
    for (size_t i = 0; i < std::size(awkward); ++i)
        ASSERT_TRUE(vx::WriteProfileString("Export", ("Wert " + std::to_string(i)).c_str(), awkward[i]));
    vx::ReloadProfile();
    for (size_t i = 0; i < std::size(awkward); ++i)
        EXPECT_EQ(vx::GetProfileString("Export", ("Wert " + std::to_string(i)).c_str(), "dflt"), CString(awkward[i]));
    // Written at once and readable as UTF-8 by a user who opens the file.
    EXPECT_TRUE(fileContents().contains("[Messenkonfiguration]"));
    EXPECT_TRUE(QString::fromUtf8(fileContents()).contains(QString::fromUtf8("\xC3\xA4\xC3\xB6\xC3\xBC")));
}

TEST(Profile, IntsRoundTripAndFallBackToTheDefault)
{
    ASSERT_TRUE(vx::WriteProfileInt("Optionen", "Sprache", 1000));
    ASSERT_TRUE(vx::WriteProfileInt("Optionen", "Betriebsart", -3));
    ASSERT_TRUE(vx::WriteProfileString("Optionen", "Kaputt", "abc"));
    vx::ReloadProfile();
    EXPECT_EQ(vx::GetProfileInt("Optionen", "Sprache", 0), 1000u);
    EXPECT_EQ(static_cast<int>(vx::GetProfileInt("Optionen", "Betriebsart", 0)), -3);
    EXPECT_EQ(vx::GetProfileInt("Optionen", "Diagrammtyp", 7), 7u);
    EXPECT_EQ(vx::GetProfileInt("Optionen", "Kaputt", 5), 5u);
    // An int written as text reads as a number too ("Schnittstellenanbindung" may be either).
    ASSERT_TRUE(vx::WriteProfileString("Optionen", "Text", " 12 "));
    EXPECT_EQ(vx::GetProfileInt("Optionen", "Text", 0), 12u);
}

TEST(Profile, BinaryRoundTripsByteForByte)
{
    std::vector<BYTE> record(24);
    for (size_t i = 0; i < record.size(); ++i)
        record[i] = static_cast<BYTE>(i * 37 + (i % 3 == 0 ? 0 : 0x80));
    record[0] = 0x00;
    record[5] = 0xFF;
    record[10] = '\n';
    record[11] = '"';
    record[12] = '\\';
    ASSERT_TRUE(vx::WriteProfileBinary("DespiteReset", "REG_STR_DOCUMENTATION_STRUCT", record.data(),
                                       static_cast<UINT>(record.size())));
    vx::ReloadProfile();
    BYTE* data = nullptr;
    UINT bytes = 0;
    ASSERT_TRUE(vx::GetProfileBinary("DespiteReset", "REG_STR_DOCUMENTATION_STRUCT", &data, &bytes));
    ASSERT_EQ(bytes, 24u);
    EXPECT_EQ(std::vector<BYTE>(data, data + bytes), record);
    delete[] data;

    EXPECT_FALSE(vx::GetProfileBinary("DespiteReset", "missing", &data, &bytes));
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(bytes, 0u);
    // A text value is not binary data.
    vx::WriteProfileString("DespiteReset", "text", "abc");
    std::vector<BYTE> v;
    EXPECT_FALSE(vx::GetProfileBinary("DespiteReset", "text", v));
}

TEST(Profile, BackslashNestsSectionsAndNullsDelete)
{
    ASSERT_TRUE(vx::WriteProfileString("Settings\\Window", "x", "10"));
    ASSERT_TRUE(vx::WriteProfileString("Settings\\Window", "y", "20"));
    ASSERT_TRUE(vx::WriteProfileString("Settings", "top", "1"));
    EXPECT_EQ(vx::GetProfileString("Settings\\Window", "x"), CString("10"));
    EXPECT_TRUE(fileContents().contains("Window\\x=10"));   // nested group in the file

    ASSERT_TRUE(vx::WriteProfileString("Settings\\Window", "x", nullptr));
    EXPECT_EQ(vx::GetProfileString("Settings\\Window", "x", "gone"), CString("gone"));
    EXPECT_EQ(vx::GetProfileString("Settings\\Window", "y"), CString("20"));
    ASSERT_TRUE(vx::WriteProfileString("Settings\\Window", nullptr, nullptr));
    EXPECT_EQ(vx::GetProfileString("Settings\\Window", "y", "gone"), CString("gone"));
    EXPECT_EQ(vx::GetProfileString("Settings", "top"), CString("1"));
}

} // namespace

TEST(Profile, AFailedSaveIsReportedOnceUntilASaveWorksAgain)
{
    ASSERT_TRUE(vx::WriteProfileInt("Optionen", "Sprache", 0));
    const QString file = vx::ToQString(vx::ProfileFilePath());
    // A folder where the profile file should be: nothing can be saved.
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QDir().mkdir(file));
    vx::ReloadProfile();
    vx::ModalScript::Clear();
    EXPECT_FALSE(vx::WriteProfileInt("Optionen", "Sprache", 1000));
    EXPECT_FALSE(vx::WriteProfileString("DespiteReset", "Headline", "Versuch"));
    const auto boxes = vx::ModalScript::MessageBoxTexts();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].Find("VX35 VS.conf"), -1);
    EXPECT_NE(boxes[0].Find("could not be saved"), -1);

    ASSERT_TRUE(QDir().rmdir(file));
    vx::ReloadProfile();
    EXPECT_TRUE(vx::WriteProfileInt("Optionen", "Sprache", 1000));
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts().size(), 1u);

    // The next failure is told again, in the language the program set.
    vx::SetProfileFailureText("Die Einstellungen konnten nicht gespeichert werden.");
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QDir().mkdir(file));
    vx::ReloadProfile();
    EXPECT_FALSE(vx::WriteProfileInt("Optionen", "Sprache", 0));
    ASSERT_EQ(vx::ModalScript::MessageBoxTexts().size(), 2u);
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts()[1],
              vx::ProfileFilePath() + ": Die Einstellungen konnten nicht gespeichert werden.");
    ASSERT_TRUE(QDir().rmdir(file));
    vx::ReloadProfile();
    vx::SetProfileFailureText("The settings could not be saved.");
}

// An oversized profile is never read: it is put aside whole under a free
// name (earlier ones stay), the program starts with defaults and saves anew,
// and hears of it once. With no free name left it is neither read nor
// written over, and a save says so.
TEST(Profile, AnOversizedFileIsPutAsideWholeAndToldOnce)
{
    ASSERT_TRUE(vx::WriteProfileInt("Optionen", "Sprache", 2000));
    const QString file = vx::ToQString(vx::ProfileFilePath());
    const auto aside = [&](int n) { return file + ".too-large" + (n > 1 ? "." + QString::number(n) : QString()); };
    for (int n = 1; n < 100; ++n)
        ASSERT_TRUE(QFile(aside(n)).open(QIODevice::WriteOnly));
    const qint64 huge = static_cast<qint64>(vx::kMaxProfileBytes) + 1;
    ASSERT_TRUE(QFile::resize(file, huge));
    vx::ReloadProfile();
    EXPECT_EQ(vx::GetProfileInt("Optionen", "Sprache", -1), static_cast<UINT>(-1));
    vx::ProfileSetAside told;
    ASSERT_TRUE(vx::TakeProfileSetAside(told));
    EXPECT_EQ(told.movedTo, vx::FromQString(aside(100)));
    EXPECT_EQ(QFileInfo(aside(100)).size(), huge);
    EXPECT_EQ(QFileInfo(aside(1)).size(), 0);
    EXPECT_FALSE(vx::TakeProfileSetAside(told));
    EXPECT_TRUE(vx::WriteProfileInt("Optionen", "Sprache", 0));

    ASSERT_TRUE(QFile::resize(file, huge));
    vx::ReloadProfile();
    vx::ModalScript::Clear();
    EXPECT_EQ(vx::GetProfileInt("Optionen", "Sprache", -1), static_cast<UINT>(-1));
    EXPECT_FALSE(vx::WriteProfileInt("Optionen", "Sprache", 1000));
    EXPECT_EQ(vx::ModalScript::MessageBoxTexts().size(), 1u);
    EXPECT_EQ(QFileInfo(file).size(), huge);
    ASSERT_TRUE(vx::TakeProfileSetAside(told));
    EXPECT_TRUE(told.movedTo.IsEmpty());

    for (int n = 1; n <= 100; ++n)
        QFile::remove(aside(n));
    QFile::remove(file);
    vx::ReloadProfile();
}

// A pipe in the file's place is never opened (that would wait for a writer
// before the window shows) nor replaced: the settings live in memory, and
// saves fail without a box each, since the start told why once.
TEST(Profile, APipeInTheFilesPlaceIsNeitherOpenedNorReplaced)
{
    ASSERT_TRUE(vx::WriteProfileInt("Optionen", "Sprache", 2000));
    const std::string fifo = vx::ProfileFilePath().str();
    ASSERT_TRUE(std::remove(fifo.c_str()) == 0 && mkfifo(fifo.c_str(), 0600) == 0);
    vx::ReloadProfile();
    vx::ProfileSetAside told;
    EXPECT_TRUE(FinishesWithin(kHangLimit, [&] { vx::TakeProfileSetAside(told); }, [&] { OpenOtherEnd(fifo, true); }));
    EXPECT_TRUE(told.notRegular);
    vx::ModalScript::Clear();
    EXPECT_FALSE(vx::WriteProfileInt("Optionen", "Sprache", 1000));
    EXPECT_EQ(vx::GetProfileInt("Optionen", "Sprache", -1), 1000u);
    EXPECT_TRUE(vx::ModalScript::MessageBoxTexts().empty());
    struct stat st {};
    EXPECT_TRUE(lstat(fifo.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
    std::remove(fifo.c_str());
    vx::ReloadProfile();
}

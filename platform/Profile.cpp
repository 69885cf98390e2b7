#include "platform/Profile.h"

#include "platform/File.h"
#include "platform/Messages.h"
#include "platform/Modal.h"
#include "platform/Text1252.h"

#include <QByteArray>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QString>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <sys/stat.h>

namespace {

std::mutex g_mutex;
std::unique_ptr<QSettings> g_settings;
vx::ProfileSetAside g_setAside;
bool g_setAsidePending = false;
// Set while a failed save has been reported and nothing was saved since.
bool g_failureReported = false;

// Where the settings object keeps the user's file, known before it reads it.
QString UserProfilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
           QString::fromUtf8(vx::kProfileOrganization) + QLatin1Char('/') +
           QString::fromUtf8(vx::kProfileApplication) + QStringLiteral(".conf");
}

// A profile that could not be put aside is neither read nor overwritten:
// every save then fails, and is reported, as on a read-only disk.
bool ReadNothing(QIODevice&, QSettings::SettingsMap&) { return true; }
bool WriteNothing(QIODevice&, const QSettings::SettingsMap&) { return false; }

// The settings object reads its whole file at once, so an oversized one is
// put aside under a free name before anything reads it; nothing of it is
// lost, and the program starts with the defaults.
std::unique_ptr<QSettings> OpenSettings()
{
    static const QSettings::Format untouched = QSettings::registerFormat(QStringLiteral("conf"), ReadNothing, WriteNothing);
    const QString path = UserProfilePath();
    const QByteArray local = QFile::encodeName(path);
    struct stat st {};
    const bool exists = ::stat(local.constData(), &st) == 0;
    // A pipe or a device in the file's place is not even opened: that could
    // wait for its other end without end, before the window shows. The
    // settings then live in memory only; the program says so once, so a
    // failed save is not told again.
    if (exists && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode)) {
        g_setAside = vx::ProfileSetAside{vx::FromQString(path), CString(), CString(), 0, true};
        g_setAsidePending = true;
        g_failureReported = true;
        return std::make_unique<QSettings>(QString(), untouched);
    }
    if (!exists || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_size) <= vx::kMaxProfileBytes)
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           QString::fromUtf8(vx::kProfileOrganization),
                                           QString::fromUtf8(vx::kProfileApplication));
    g_setAside = vx::ProfileSetAside{vx::FromQString(path), CString(), CString(),
                                     static_cast<std::uint64_t>(st.st_size)};
    g_setAsidePending = true;
    int error = EEXIST;
    for (int n = 1; n <= 100; ++n) {
        QString aside = path + QStringLiteral(".too-large");
        if (n > 1)
            aside += QLatin1Char('.') + QString::number(n);
        const QByteArray target = QFile::encodeName(aside);
        struct stat taken {};
        if (::lstat(target.constData(), &taken) == 0)
            continue;
        if (::rename(local.constData(), target.constData()) == 0) {
            g_setAside.movedTo = vx::FromQString(aside);
            return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                               QString::fromUtf8(vx::kProfileOrganization),
                                               QString::fromUtf8(vx::kProfileApplication));
        }
        error = errno;
        break;
    }
    g_setAside.error = CFileException(CFileException::CauseFromErrno(error), error, g_setAside.file).GetErrorMessage();
    return std::make_unique<QSettings>(path, untouched);
}

QSettings& settings()
{
    if (!g_settings)
        g_settings = OpenSettings();
    return *g_settings;
}

// The user's file, also while the settings live in memory only.
CString ShownName(const QSettings& s)
{
    return vx::FromQString(s.fileName().isEmpty() ? UserProfilePath() : s.fileName());
}

QString groupPath(const char* section)
{
    QString s = vx::ToQString(CString(section ? section : ""));
    s.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return s;
}

QString keyPath(const char* section, const char* entry)
{
    return groupPath(section) + QLatin1Char('/') + vx::ToQString(CString(entry ? entry : ""));
}

CString g_pendingReport;
// Set by the program in the user's language; English until then.
CString g_failureText = "The settings could not be saved (access denied or disk full); changes made now are lost "
                        "when the program ends.";

BOOL flush(QSettings& s)
{
    s.sync();
    const QSettings::Status status = s.status();
    if (status == QSettings::NoError) {
        g_failureReported = false;
        return TRUE;
    }
    if (!g_failureReported) {
        g_failureReported = true;
        g_pendingReport = ShownName(s) + ": " + g_failureText;
    }
    return FALSE;
}

// Shows the report of a failed save once, outside the profile's lock (the
// box runs a modal loop in which other code may read the profile).
BOOL Reported(BOOL ok)
{
    CString text;
    {
        std::lock_guard lock(g_mutex);
        if (g_pendingReport.IsEmpty() || !vx::IsUiThread())
            return ok;
        text = g_pendingReport;
        g_pendingReport.Empty();
    }
    AfxMessageBox(text, MB_OK | MB_ICONERROR);
    return ok;
}

} // namespace

namespace vx {

CString GetProfileString(const char* section, const char* entry, const char* defaultValue)
{
    std::lock_guard lock(g_mutex);
    const QVariant v = settings().value(keyPath(section, entry));
    if (!v.isValid())
        return CString(defaultValue ? defaultValue : "");
    return FromQString(v.toString());
}

UINT GetProfileInt(const char* section, const char* entry, int defaultValue)
{
    std::lock_guard lock(g_mutex);
    const QVariant v = settings().value(keyPath(section, entry));
    if (!v.isValid())
        return static_cast<UINT>(defaultValue);
    bool ok = false;
    const QString text = v.toString().trimmed();
    const long long n = text.toLongLong(&ok);
    if (!ok || n < -2147483648LL || n > 4294967295LL)
        return static_cast<UINT>(defaultValue);
    return static_cast<UINT>(n);
}

bool GetProfileBinary(const char* section, const char* entry, std::vector<BYTE>& out)
{
    std::lock_guard lock(g_mutex);
    out.clear();
    const QVariant v = settings().value(keyPath(section, entry));
    if (!v.isValid() || v.typeId() != QMetaType::QByteArray)
        return false;
    const QByteArray bytes = v.toByteArray();
    out.assign(reinterpret_cast<const BYTE*>(bytes.constData()),
               reinterpret_cast<const BYTE*>(bytes.constData()) + bytes.size());
    return true;
}

BOOL GetProfileBinary(const char* section, const char* entry, BYTE** data, UINT* bytes)
{
    if (data)
        *data = nullptr;
    if (bytes)
        *bytes = 0;
    std::vector<BYTE> v;
    if (!GetProfileBinary(section, entry, v) || !data)
        return FALSE;
    *data = new BYTE[v.empty() ? 1 : v.size()];
    if (!v.empty())
        std::memcpy(*data, v.data(), v.size());
    if (bytes)
        *bytes = static_cast<UINT>(v.size());
    return TRUE;
}

BOOL WriteProfileString(const char* section, const char* entry, const char* value)
{
    BOOL ok;
    {
        std::lock_guard lock(g_mutex);
        QSettings& s = settings();
        if (!entry)
            s.remove(groupPath(section));
        else if (!value)
            s.remove(keyPath(section, entry));
        else
            s.setValue(keyPath(section, entry), ToQString(CString(value)));
        ok = flush(s);
    }
    return Reported(ok);
}

BOOL WriteProfileInt(const char* section, const char* entry, int value)
{
    BOOL ok;
    {
        std::lock_guard lock(g_mutex);
        QSettings& s = settings();
        s.setValue(keyPath(section, entry), value);
        ok = flush(s);
    }
    return Reported(ok);
}

BOOL WriteProfileBinary(const char* section, const char* entry, const BYTE* data, UINT bytes)
{
    BOOL ok;
    {
        std::lock_guard lock(g_mutex);
        QSettings& s = settings();
        s.setValue(keyPath(section, entry),
                   QByteArray(reinterpret_cast<const char*>(data), data ? static_cast<qsizetype>(bytes) : 0));
        ok = flush(s);
    }
    return Reported(ok);
}

CString ProfileFilePath()
{
    std::lock_guard lock(g_mutex);
    return ShownName(settings());
}

void SetProfileFailureText(const CString& text)
{
    std::lock_guard lock(g_mutex);
    g_failureText = text;
}

bool TakeProfileSetAside(ProfileSetAside& out)
{
    std::lock_guard lock(g_mutex);
    (void)settings();
    if (!g_setAsidePending)
        return false;
    g_setAsidePending = false;
    out = g_setAside;
    return true;
}

void ReloadProfile()
{
    std::lock_guard lock(g_mutex);
    g_settings.reset();
}

} // namespace vx

#include "platform/Profile.h"

#include "platform/Text1252.h"

#include <QByteArray>
#include <QSettings>
#include <QString>

#include <cstring>
#include <memory>
#include <mutex>

namespace {

std::mutex g_mutex;
std::unique_ptr<QSettings> g_settings;

QSettings& settings()
{
    if (!g_settings)
        g_settings = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                 QString::fromUtf8(vx::kProfileOrganization),
                                                 QString::fromUtf8(vx::kProfileApplication));
    return *g_settings;
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

BOOL flush(QSettings& s)
{
    s.sync();
    return s.status() == QSettings::NoError ? TRUE : FALSE;
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
    std::lock_guard lock(g_mutex);
    QSettings& s = settings();
    if (!entry)
        s.remove(groupPath(section));
    else if (!value)
        s.remove(keyPath(section, entry));
    else
        s.setValue(keyPath(section, entry), ToQString(CString(value)));
    return flush(s);
}

BOOL WriteProfileInt(const char* section, const char* entry, int value)
{
    std::lock_guard lock(g_mutex);
    QSettings& s = settings();
    s.setValue(keyPath(section, entry), value);
    return flush(s);
}

BOOL WriteProfileBinary(const char* section, const char* entry, const BYTE* data, UINT bytes)
{
    std::lock_guard lock(g_mutex);
    QSettings& s = settings();
    s.setValue(keyPath(section, entry),
               QByteArray(reinterpret_cast<const char*>(data), data ? static_cast<qsizetype>(bytes) : 0));
    return flush(s);
}

CString ProfileFilePath()
{
    std::lock_guard lock(g_mutex);
    return FromQString(settings().fileName());
}

void ReloadProfile()
{
    std::lock_guard lock(g_mutex);
    g_settings.reset();
}

} // namespace vx

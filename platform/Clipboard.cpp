#include "platform/Clipboard.h"

#include "platform/Text1252.h"

#include <QClipboard>
#include <QGuiApplication>

namespace vx {

bool SetClipboardText(const CString& text)
{
    QClipboard* cb = QGuiApplication::clipboard();
    if (!cb)
        return false;
    cb->setText(ToQString(text));
    return true;
}

CString GetClipboardText()
{
    QClipboard* cb = QGuiApplication::clipboard();
    return cb ? FromQString(cb->text()) : CString();
}

} // namespace vx

#pragma once

// The only place where domain text crosses into Qt and back.

#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

namespace velomar {

inline QString ToQString(std::u16string_view text) {
    return QStringView(text.data(), static_cast<qsizetype>(text.size())).toString();
}

// Keeps a leading U+FEFF, unlike QString::fromStdU16String on Qt 6.4.
inline std::u16string ToU16(const QString& text) {
    return text.toStdU16String();
}

}  // namespace velomar

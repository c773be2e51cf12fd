// File names between Qt and the core. The core keeps the file system's bytes: on Windows
// they are UTF-8 (the platform layer widens them), elsewhere the local 8-bit encoding Qt
// uses for names. Windows' local 8-bit is the ANSI code page, which would lose characters.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <string>

namespace qs::ui {

inline std::string NativeFileName(const QString& name) {
#ifdef _WIN32
    return name.toStdString();
#else
    return QFile::encodeName(name).toStdString();
#endif
}

inline QString DisplayFileName(const std::string& name) {
#ifdef _WIN32
    return QString::fromStdString(name);
#else
    return QFile::decodeName(QByteArray::fromStdString(name));
#endif
}

} // namespace qs::ui

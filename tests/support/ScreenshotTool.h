#pragma once

#include <cstdio>
#include <optional>

#include <QDir>
#include <QWidget>
#include <QtGlobal>

// The command line of the tools that render windows to PNG files offscreen.
namespace vx::test {

// Offscreen unless the caller chose a platform; call before the QApplication exists.
inline void PreferOffscreen() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

// The tool's one argument, the output folder, created; nullopt after a message on standard
// error (`exitCode` then says how the tool ends: 2 for a wrong command line, else 1).
inline std::optional<QDir> ScreenshotFolder(int argc, char** argv, const char* toolName,
                                            int& exitCode) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", toolName);
        exitCode = 2;
        return std::nullopt;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        exitCode = 1;
        return std::nullopt;
    }
    return folder;
}

// Saves what `window` shows as `folder`/`name` and prints the file's path; false after a
// message on standard error.
inline bool SaveScreenshot(QWidget& window, const QDir& folder, const char* name) {
    const QString path = folder.filePath(QString::fromLatin1(name));
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace vx::test

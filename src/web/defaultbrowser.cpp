// GLib names a structure member "signals", which Qt defines as a macro: GIO comes first.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "web/defaultbrowser.h"

#include <QFile>
#include <QUrl>

#include <memory>

namespace
{

struct AppInfoRelease {
    void operator()(GAppInfo* info) const { g_object_unref(info); }
};
using AppInfo = std::unique_ptr<GAppInfo, AppInfoRelease>;

// The program named first on the application's command line, parsed as GIO itself parses it
// to check the entry: g_app_info_get_executable() would keep the quotes of a quoted path.
QByteArray programName(GAppInfo* info)
{
    const char* commandLine = g_app_info_get_commandline(info);
    gchar** argv = nullptr;
    if (commandLine && g_shell_parse_argv(commandLine, nullptr, &argv, nullptr)) {
        QByteArray name(argv[0]);
        g_strfreev(argv);
        return name;
    }
    const char* executable = g_app_info_get_executable(info);
    return executable ? QByteArray(executable) : QByteArray();
}

// The application's desktop entry file, when the program that its command line starts is
// there to run: an entry may name it bare, to be found on the search path, or name one that
// has since gone.
QString entryFile(const AppInfo& info)
{
    if (!info || !G_IS_DESKTOP_APP_INFO(info.get()))
        return {};
    const QByteArray name = programName(info.get());
    if (name.isEmpty())
        return {};
    std::unique_ptr<gchar, decltype(&g_free)> found(g_find_program_in_path(name.constData()),
                                                    g_free);
    const char* file = g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(info.get()));
    return found && file ? QFile::decodeName(file) : QString();
}

} // namespace

QString findDefaultBrowser(const QString& url)
{
    // The desktop's MIME database answers directly; nothing has to be written to disk to ask.
    const QByteArray scheme = QUrl(url).scheme().toUtf8();
    if (!scheme.isEmpty()) {
        const QString path =
            entryFile(AppInfo(g_app_info_get_default_for_uri_scheme(scheme.constData())));
        if (!path.isEmpty())
            return path;
    }
    return entryFile(AppInfo(g_app_info_get_default_for_type("text/html", FALSE)));
}

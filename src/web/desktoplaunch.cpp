// GLib names a structure member "signals", which Qt defines as a macro: GIO comes first.
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include "web/desktoplaunch.h"

#include <QElapsedTimer>
#include <QFile>

#include <memory>

namespace
{

// A browser that cannot start (a wrapper given a wrong option, a sandbox that refuses) ends
// within this time; one that hands the address to a running window ends too, but without error.
constexpr qint64 earlyExitMs = 2000;

struct ChildWatch {
    QElapsedTimer sinceStart;
    std::function<void()> failedEarly;
};

void childExited(GPid pid, gint status, gpointer data)
{
    const auto* watch = static_cast<ChildWatch*>(data);
    if (watch->sinceStart.elapsed() < earlyExitMs && !g_spawn_check_wait_status(status, nullptr) &&
        watch->failedEarly)
        watch->failedEarly();
    g_spawn_close_pid(pid);
}

void forgetWatch(gpointer data)
{
    delete static_cast<ChildWatch*>(data);
}

void childStarted(GDesktopAppInfo*, GPid pid, gpointer data)
{
    auto* watch = new ChildWatch{{}, *static_cast<std::function<void()>*>(data)};
    watch->sinceStart.start();
    // Also reaps the child, which was started for us to wait on.
    g_child_watch_add_full(G_PRIORITY_DEFAULT, pid, childExited, watch, forgetWatch);
}

template <typename T> struct Unref {
    void operator()(T* object) const { g_object_unref(object); }
};

} // namespace

bool launchDesktopEntry(const QString& entryFile, const QString& url,
                        std::function<void()> failedEarly)
{
    const std::unique_ptr<GDesktopAppInfo, Unref<GDesktopAppInfo>> app(
        g_desktop_app_info_new_from_filename(QFile::encodeName(entryFile).constData()));
    if (!app)
        return false;
    const std::unique_ptr<GAppLaunchContext, Unref<GAppLaunchContext>> context(
        g_app_launch_context_new());
    QByteArray address = url.toUtf8();
    GList uris{address.data(), nullptr, nullptr};
    GError* error = nullptr;
    const bool started = g_desktop_app_info_launch_uris_as_manager(
        app.get(), &uris, context.get(),
        GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD), nullptr, nullptr,
        childStarted, &failedEarly, &error);
    if (error)
        g_error_free(error);
    return started;
}

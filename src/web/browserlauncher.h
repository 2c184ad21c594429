#pragma once

#include <QObject>
#include <QString>

#include <functional>

class Platform;
class QWidget;

// Opens web addresses in the user's browser: the application that the desktop associates with
// web pages, started on the address as the desktop starts it.
class BrowserLauncher : public QObject
{
    Q_OBJECT
public:
    // Finds the browser's desktop entry for an address; empty when there is none.
    using Lookup = std::function<QString(const QString& url)>;

    // `window` owns the messages; `lookup` asks the desktop unless a test says otherwise.
    BrowserLauncher(Platform& platform, QWidget* window, Lookup lookup = {});

    // Reports every failure to the user itself; callers have nothing left to do.
    void openInBrowser(const QString& url);

    // The browser's desktop entry found for this run; empty until a lookup succeeds.
    const QString& browserPath() const { return m_browserPath; }

private:
    Platform& m_platform;
    QWidget* m_window;
    Lookup m_lookup;
    QString m_browserPath;
};

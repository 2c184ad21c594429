#include "web/browserlauncher.h"

#include "platform/platform.h"
#include "web/defaultbrowser.h"

#include <QPointer>
#include <QWidget>

BrowserLauncher::BrowserLauncher(Platform& platform, QWidget* window, Lookup lookup)
    : QObject(window), m_platform(platform), m_window(window),
      m_lookup(lookup ? std::move(lookup) : Lookup(findDefaultBrowser))
{
}

void BrowserLauncher::openInBrowser(const QString& url)
{
    // Found once, the browser is kept for the run, even when it later fails to start: the user
    // sees that failure rather than a different browser. A failed lookup keeps nothing, so an
    // association made meanwhile is found on the next click.
    if (m_browserPath.isEmpty())
        m_browserPath = m_lookup(url);
    if (m_browserPath.isEmpty()) {
        m_platform.showWarning(m_window, QStringLiteral("Browser Not Found"),
                               QStringLiteral("Could not find associated Browser"));
        return;
    }
    const QPointer<BrowserLauncher> self(this);
    const auto failed = [self] {
        if (self)
            self->m_platform.showWarning(self->m_window, QStringLiteral("URL erreur"),
                                         QStringLiteral("La page n'a pas pu être ouverte"));
    };
    if (!m_platform.launchApplication(m_browserPath, url, failed))
        failed();
}

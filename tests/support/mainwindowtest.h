#pragma once

#include "app/mainwindow.h"
#include "support/fakeplatform.h"
#include "support/mainwindowcontrols.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>

// A test class that drives the real window over a scripted platform, made afresh for each test
// function: its init() calls openWindow() and its cleanup() closeWindow(), which fails the test
// when a dialog it expected was never shown or the busy pointer was left on.
class MainWindowTest : public QObject, public MainWindowControls
{
protected:
    enum class Journal { None, InTemporaryFolder };

    // `m_dir` is a fresh temporary folder either way; with InTemporaryFolder the window keeps
    // its journal there, as it does in the user's data folder.
    void openWindow(Journal journal = Journal::None)
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_platform = std::make_unique<FakePlatform>();
        m_window = std::make_unique<MainWindow>(
            *m_platform, journal == Journal::InTemporaryFolder ? m_dir->path() : QString());
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void closeWindow()
    {
        m_window.reset();
        QVERIFY(m_platform->done());
        QVERIFY(!m_platform->busy());
    }

    QWidget& drivenWindow() const override { return *m_window; }
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<MainWindow> m_window;
};

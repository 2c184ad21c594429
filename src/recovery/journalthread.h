#pragma once

#include <QObject>
#include <QString>
#include <QThread>

#include <functional>

// The thread that writes the journal: the work asked of it is done there one piece after the
// other, in the order asked, so that the window never waits on the disk.
class JournalThread : public QObject
{
    Q_OBJECT
public:
    explicit JournalThread(QObject* parent = nullptr);
    // Does what was asked so far, then stops.
    ~JournalThread() override;

    // Runs `work` there once everything asked before is done, then `then` here. An exception
    // from `work` is told by failed(), and `then` still runs.
    void post(std::function<void()> work, std::function<void()> then = {});
    // Returns once everything asked so far is done: for the window's last moment only.
    void finish();

signals:
    void failed(const QString& reason);

private:
    QThread m_thread;
    // Lives on m_thread: the work is its events.
    QObject m_worker;
};

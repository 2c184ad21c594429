#pragma once

#include <QObject>

// Work done elsewhere that a run's first result must not come before: the run's start kept in
// the journal, the fingerprint of what the last run left. Each gate answers from what it
// knows, whenever it is asked, so that whoever draws can ask before a run begins and after,
// and never depends on having been heard first.
class FirstResultGate : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Whether nothing this gate guards is still being worked on for the session's current
    // run, or for the next one to begin.
    virtual bool open() const = 0;

signals:
    // The work it was waiting for is done: the waiter asks every gate again.
    void opened();
};

#pragma once

#include <QCoreApplication>
#include <QString>

#include <string>

// Why a list file was not opened: one sentence for each reason, the same in the window's
// message and on the command line's standard error.
class ListFileRefusal
{
    Q_DECLARE_TR_FUNCTIONS(ListFileRefusal)
public:
    enum Reason {
        CannotOpen,
        Folder,
        NotRegular,
        TooBig,
        CannotRead,
        NotText,
        TooManyLines,
        LineTooLong,
        // A table refused for what it holds, with its own sentence.
        Table
    };

    // `systemReason`: with CannotOpen and CannotRead, the system's own words, for whoever has
    // room for them.
    ListFileRefusal(Reason reason, QString systemReason = {})
        : m_reason(reason), m_systemReason(std::move(systemReason))
    {
    }
    // A table refused: its whole sentence, in French.
    static ListFileRefusal table(const std::string& sentence)
    {
        ListFileRefusal refusal(Table);
        refusal.m_tableSentence = QString::fromStdString(sentence);
        return refusal;
    }

    Reason reason() const { return m_reason; }
    QString text() const { return m_reason == Table ? m_tableSentence : text(m_reason); }
    std::string utf8() const { return text().toStdString(); }
    const QString& systemReason() const { return m_systemReason; }

    static QString text(Reason reason);

private:
    Reason m_reason;
    QString m_systemReason;
    QString m_tableSentence;
};

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
        LineTooLong
    };

    static QString text(Reason reason);
    static std::string utf8(Reason reason) { return text(reason).toStdString(); }
};

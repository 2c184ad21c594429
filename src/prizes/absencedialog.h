#pragma once

#include <QDialog>
#include <QString>

class QComboBox;
class QPushButton;

// "Déclarer absent…": why a winner does not take the prize. The reason is part of the record,
// so one of the usual ones is offered and any other may be typed.
class AbsenceDialog : public QDialog
{
    Q_OBJECT
public:
    AbsenceDialog(QWidget* owner, const QString& winner, const QString& prize);
    QString reason() const;

private:
    QComboBox* m_reason;
    QPushButton* m_ok;
};

#pragma once

#include "support/guitest.h"

// The main window's controls that the GUI tests drive, found by the names users and the code
// give them. A test class inherits this and says which window it drives.
class MainWindowControls
{
protected:
    virtual ~MainWindowControls() = default;
    virtual QWidget& drivenWindow() const = 0;

    QPlainTextEdit* list() const
    {
        return control<QPlainTextEdit>(drivenWindow(), QStringLiteral("txtListe"));
    }
    QPlainTextEdit* results() const
    {
        return control<QPlainTextEdit>(drivenWindow(), QStringLiteral("txtResult"));
    }
    QComboBox* drawCount() const
    {
        return control<QComboBox>(drivenWindow(), QStringLiteral("cmbNbTirage"));
    }
    QComboBox* teamSize() const
    {
        return control<QComboBox>(drivenWindow(), QStringLiteral("cmbEquipe"));
    }
    QLabel* percent() const
    {
        return control<QLabel>(drivenWindow(), QStringLiteral("lblPourCent"));
    }
    QPushButton* button(const QString& name) const
    {
        return control<QPushButton>(drivenWindow(), name);
    }
    QPushButton* go(int mode) const { return button(QStringLiteral("cmdGo(%1)").arg(mode)); }
    QPushButton* stopButton() const { return button(QStringLiteral("cmdStopProcess")); }
};

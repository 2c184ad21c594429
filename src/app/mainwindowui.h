#pragma once

#include "app/linelimitedtextedit.h"

#include <array>

class QComboBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class LinkLabel;

// The controls of the main window, created at their design places. The draw buttons and the
// toolbars are indexed as users and documentation count them: cmdGo(0) is "Go" beside the
// number to draw, cmdGo(1) the single draw, cmdGo(2) "Tous", cmdGo(3) the teams.
struct MainWindowUi {
    QLabel* lblListe = nullptr;
    QLabel* lblResult = nullptr;
    std::array<QWidget*, 2> picMnu{};
    LineLimitedTextEdit* txtListe = nullptr;
    QWidget* fraCentre = nullptr;
    QPlainTextEdit* txtResult = nullptr;
    QFrame* fraMenu = nullptr;
    QWidget* fraBas = nullptr;

    QPushButton* cmdOpen = nullptr;
    QPushButton* cmdNumList = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdClearResult = nullptr;
    std::array<QLabel*, 5> toolIcons{}; // Picture1(0) to Picture1(4)

    QLabel* logo = nullptr; // Image1
    std::array<QPushButton*, 4> cmdGo{};
    QLabel* arrow = nullptr;            // Label3, "=>"
    QLabel* drawCountCaption = nullptr; // Label5, "Tirer"
    QComboBox* cmbNbTirage = nullptr;
    QLabel* teamSizeCaption = nullptr; // Label1, "Former des équipes de"
    QComboBox* cmbEquipe = nullptr;
    QLabel* lblPourCent = nullptr;
    QPushButton* cmdStopProcess = nullptr;

    LinkLabel* lblVelmora = nullptr;
    QPushButton* infoButton = nullptr; // Command1, "Info"
};

void buildMainWindowUi(QWidget* window, MainWindowUi& ui);

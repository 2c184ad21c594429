#pragma once

#include <QDialog>

class BrowserLauncher;

// frmInfo: the program's name and version, and a link to the maker's site. Built anew each
// time it is shown, so nothing of it outlives its closing.
class InfoDialog : public QDialog
{
    Q_OBJECT
public:
    explicit InfoDialog(BrowserLauncher& browser, QWidget* parent = nullptr);
};

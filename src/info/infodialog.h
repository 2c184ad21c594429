#pragma once

#include <QDialog>

// frmInfo: the program's name and version, and a link to the maker's site. Built anew each
// time it is shown, so nothing of it outlives its closing.
class InfoDialog : public QDialog
{
    Q_OBJECT
public:
    explicit InfoDialog(QWidget* parent = nullptr);

signals:
    // The maker's link was clicked; whoever shows the box knows how to open an address.
    void linkClicked(const QString& url);
};

#pragma once

#include <QIcon>
#include <QLabel>

// A small picture laid over a toolbar button. It is disabled, so that it takes no input and a
// click on it reaches the button beneath; unlike a plain label it still draws its icon in full
// colour rather than greyed out.
class IconHolder : public QLabel
{
    Q_OBJECT
public:
    IconHolder(const QIcon& icon, QSize iconSize, QWidget* parent = nullptr);

    const QIcon& icon() const { return m_icon; }
    QSize iconSize() const { return m_iconSize; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QIcon m_icon;
    QSize m_iconSize;
};

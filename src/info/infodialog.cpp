#include "info/infodialog.h"

#include "core/text/buildversion.h"
#include "core/text/version.h"
#include "widgets/appicons.h"
#include "widgets/designunits.h"
#include "widgets/linklabel.h"
#include "widgets/makeraddress.h"

#include <QPushButton>

namespace
{

void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour)
{
    QPalette pal = widget->palette();
    pal.setColor(role, colour);
    widget->setPalette(pal);
}

template <typename W> W* place(W* widget, const char* name, QRect geometry)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

QString versionText()
{
    namespace b = sortivo::build;
    return QStringLiteral("Sortivo, version ") +
           QString::fromStdString(
               sortivo::versionString(b::versionMajor, b::versionMinor, b::versionPatch));
}

} // namespace

InfoDialog::InfoDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmInfo"));
    setWindowTitle(QStringLiteral("Info"));
    setWindowIcon(programIcon());
    setFont(sansFont(8.25));
    setColour(this, QPalette::Window, palette::lightGreen);
    setAutoFillBackground(true);
    setFixedSize(twipsRect(0, 0, 4680, 2565).size());

    auto* image = place(new QLabel(this), "Image1", twipsRect(1800, 0, 750, 750));
    image->setAlignment(Qt::AlignCenter);
    image->setPixmap(logoPixmap(devicePixelRatioF()));

    // The labels are 15 twips wider than the box so that they span all of it.
    auto* version = place(new QLabel(this), "lblVersion", twipsRect(0, 600, 4695, 375));
    version->setFont(comicFont(12));
    version->setAlignment(Qt::AlignCenter);
    setColour(version, QPalette::WindowText, palette::blue);
    version->setText(versionText());

    auto* link = place(new LinkLabel(this), "lblVelmora", twipsRect(0, 1080, 4695, 255));
    link->setFont(sansFont(9.75));
    link->setAlignment(Qt::AlignCenter);
    setColour(link, QPalette::WindowText, palette::purple);
    link->setText(QStringLiteral("Velmora (") + makerAddress() + QStringLiteral(") "));
    connect(link, &LinkLabel::clicked, this, [this] { emit linkClicked(makerAddress()); });

    auto* ok = place(new QPushButton(QStringLiteral("Ok"), this), "cmdOk",
                     twipsRect(3120, 1920, 1215, 495));
    ok->setDefault(true);
    ok->setFocus();
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

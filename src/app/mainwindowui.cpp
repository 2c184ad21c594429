#include "app/mainwindowui.h"

#include "app/iconholder.h"
#include "app/linelimitedtextedit.h"
#include "app/wrappingbutton.h"
#include "listtools/listfilecommands.h"
#include "widgets/appicons.h"
#include "widgets/designunits.h"
#include "widgets/linklabel.h"
#include "widgets/plaintextbox.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>

namespace
{

QString indexedName(const char* base, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(base)).arg(index);
}

template <typename W> W* place(W* widget, const QString& name, QRect geometry)
{
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

void fillBackground(QWidget* widget, const QColor& colour)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::Window, colour);
    widget->setPalette(pal);
    widget->setAutoFillBackground(true);
}

void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, colour);
    widget->setPalette(pal);
}

QLabel* caption(QWidget* parent, const char* name, const QString& text, QRect geometry,
                const QFont& font)
{
    auto* label = place(new QLabel(text, parent), QLatin1String(name), geometry);
    label->setFont(font);
    // Drawn from the top as designed: centred, a heading's descenders sink under its text box.
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget* panel(QWidget* parent, const QString& name, QRect geometry)
{
    auto* widget = place(new QWidget(parent), name, geometry);
    fillBackground(widget, palette::lightGreen);
    return widget;
}

QPushButton* toolButton(QWidget* toolbar, const char* name, double left, const QString& tip)
{
    auto* button =
        place(new QPushButton(toolbar), QLatin1String(name), twipsRect(left, 0, 375, 375));
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    return button;
}

QLabel* iconHolder(QWidget* toolbar, int index, QRect geometry, ToolIcon icon, int iconPixels)
{
    // The icon lies over its button; clicks must reach the button beneath.
    return place(new IconHolder(toolIcon(icon), QSize(iconPixels, iconPixels), toolbar),
                 indexedName("Picture1", index), geometry);
}

QComboBox* dropDownList(QWidget* parent, const char* name, QRect geometry)
{
    auto* combo = place(new QComboBox(parent), QLatin1String(name), geometry);
    combo->setEditable(false);
    // A list of a million entries offers a million numbers: keep the popup and the size hint
    // from measuring every one of them.
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(4);
    if (auto* view = qobject_cast<QListView*>(combo->view()))
        view->setUniformItemSizes(true);
    return combo;
}

template <typename Box> Box* textBox(Box* box, const char* name, QRect geometry)
{
    place(box, QLatin1String(name), geometry);
    box->setFont(sansFont(12));
    // One entry per line: wrapping would make a long entry look like several.
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab walks the window's controls; an entry has no use for a tab character.
    box->setTabChangesFocus(true);
    return box;
}

} // namespace

void buildMainWindowUi(QWidget* w, MainWindowUi& ui)
{
    // Every control that names no font of its own takes the window's.
    w->setFont(sansFont(8.25));
    const QFont headingFont = comicFont(14.25);
    const QFont panelFont = sansFont(9.75);

    ui.lblListe = caption(w, "lblListe", QStringLiteral("Entrez ou copiez une liste"),
                          twipsRect(240, 360, 3735, 495), headingFont);
    setTextColour(ui.lblListe, palette::darkGreen);
    ui.lblResult = caption(w, "lblResult", QStringLiteral("Résultat du tirage"),
                           twipsRect(7920, 360, 3735, 495), headingFont);
    setTextColour(ui.lblResult, palette::darkGreen);
    ui.picMnu[0] = panel(w, indexedName("picMnu", 0), twipsRect(4560, 340, 855, 375));
    ui.picMnu[1] = panel(w, indexedName("picMnu", 1), twipsRect(11760, 340, 1215, 375));
    ui.txtListe = textBox(new LineLimitedTextEdit(ListFileCommands::maxLineChars, w), "txtListe",
                          twipsRect(60, 720, 5200, 5535));
    ui.fraCentre = panel(w, QStringLiteral("fraCentre"), twipsRect(5400, 240, 2270, 6255));
    // Created after the centre panel: the results box lies over the panel's last 60 twips.
    ui.txtResult = textBox(new PlainTextBox(w), "txtResult", twipsRect(7800, 720, 5205, 5535));
    ui.fraMenu = place(new QFrame(w), QStringLiteral("fraMenu"), twipsRect(120, 6645, 12855, 255));
    fillBackground(ui.fraMenu, palette::lightGreen);
    ui.fraBas = place(new QWidget(w), QStringLiteral("fraBas"), twipsRect(0, 6960, 13095, 495));
    fillBackground(ui.fraBas, QApplication::palette().color(QPalette::Button));

    // Toolbars.
    ui.cmdOpen = toolButton(ui.picMnu[0], "cmdOpen", 45, QStringLiteral("Ouvrir un fichier Texte"));
    ui.cmdNumList = toolButton(ui.picMnu[0], "cmdNumList", 465, QStringLiteral("Liste numérique"));
    ui.toolIcons[0] = iconHolder(ui.picMnu[0], 0, twipsRect(105, 50, 250, 250), ToolIcon::Open, 16);
    ui.toolIcons[1] =
        iconHolder(ui.picMnu[0], 1, twipsRect(500, 30, 280, 280), ToolIcon::NumberedList, 20);
    ui.cmdSave =
        toolButton(ui.picMnu[1], "cmdSave", 0, QStringLiteral("Enregistrer au format Texte"));
    ui.cmdPrint = toolButton(ui.picMnu[1], "cmdPrint", 420, QStringLiteral("Imprimer"));
    ui.cmdClearResult = toolButton(ui.picMnu[1], "cmdClearResult", 840, QStringLiteral("Effacer"));
    ui.toolIcons[2] = iconHolder(ui.picMnu[1], 2, twipsRect(60, 50, 250, 250), ToolIcon::Save, 16);
    ui.toolIcons[3] =
        iconHolder(ui.picMnu[1], 3, twipsRect(480, 50, 250, 250), ToolIcon::Print, 16);
    ui.toolIcons[4] =
        iconHolder(ui.picMnu[1], 4, twipsRect(900, 50, 250, 250), ToolIcon::Clear, 16);

    // Centre panel, top to bottom.
    QWidget* c = ui.fraCentre;
    ui.logo = place(new QLabel(c), QStringLiteral("Image1"), twipsRect(720, 120, 750, 750));
    ui.logo->setAlignment(Qt::AlignCenter);
    ui.logo->setPixmap(logoPixmap(w->devicePixelRatioF()));
    // The arrow lies partly under the single-draw button, which is drawn over it.
    ui.arrow =
        caption(c, "Label3", QStringLiteral("=>"), twipsRect(195, 1080, 1935, 1695), comicFont(72));
    ui.arrow->setAlignment(Qt::AlignCenter);
    ui.arrow->setAttribute(Qt::WA_TransparentForMouseEvents);
    setTextColour(ui.arrow, palette::darkGreen);
    ui.cmdGo[1] = place(new WrappingButton(QStringLiteral("Tirer un élément au hasard"), c),
                        indexedName("cmdGo", 1), twipsRect(240, 960, 1815, 735));
    ui.drawCountCaption =
        caption(c, "Label5", QStringLiteral("Tirer"), twipsRect(75, 2805, 495, 255), panelFont);
    ui.cmbNbTirage = dropDownList(c, "cmbNbTirage", twipsRect(615, 2760, 855, 315));
    ui.cmdGo[0] = place(new QPushButton(QStringLiteral("Go"), c), indexedName("cmdGo", 0),
                        twipsRect(1560, 2760, 495, 315));
    ui.cmdGo[2] = place(new QPushButton(QStringLiteral("Tous"), c), indexedName("cmdGo", 2),
                        twipsRect(240, 3255, 1815, 375));
    ui.teamSizeCaption = caption(c, "Label1", QStringLiteral("Former des équipes de"),
                                 twipsRect(120, 3945, 1935, 495), panelFont);
    ui.teamSizeCaption->setWordWrap(true);
    ui.cmbEquipe = dropDownList(c, "cmbEquipe", twipsRect(615, 4200, 855, 315));
    for (int size = 2; size <= 10; ++size)
        ui.cmbEquipe->addItem(QString::number(size), 0);
    ui.cmbEquipe->setCurrentIndex(-1);
    ui.cmdGo[3] = place(new QPushButton(QStringLiteral("Go"), c), indexedName("cmdGo", 3),
                        twipsRect(1560, 4200, 495, 315));
    ui.lblPourCent = caption(c, "lblPourCent", QStringLiteral("0%"), twipsRect(720, 4740, 855, 375),
                             sansFont(12));
    ui.lblPourCent->setAlignment(Qt::AlignCenter);
    fillBackground(ui.lblPourCent, QApplication::palette().color(QPalette::Button));
    setTextColour(ui.lblPourCent, palette::blue);
    ui.lblPourCent->hide();
    ui.cmdStopProcess = place(new QPushButton(QStringLiteral("Arreter"), c),
                              QStringLiteral("cmdStopProcess"), twipsRect(480, 5160, 1335, 375));
    ui.cmdStopProcess->hide();

    // Bottom bar.
    ui.lblVelmora = place(new LinkLabel(ui.fraBas), QStringLiteral("lblVelmora"),
                          twipsRect(120, 120, 3375, 255));
    ui.lblVelmora->setAlignment(Qt::AlignCenter);
    // The Linux stand-ins for the design's face are wider; narrowed a little, the caption
    // still fits the design's width instead of losing both its ends.
    QFont linkFont = sansFont(8.25);
    linkFont.setStretch(QFont::SemiCondensed);
    ui.lblVelmora->setFont(linkFont);
    setTextColour(ui.lblVelmora, palette::blue);
    fillBackground(ui.lblVelmora, QApplication::palette().color(QPalette::Button));
    ui.infoButton = place(new QPushButton(ui.fraBas), QStringLiteral("Command1"),
                          twipsRect(11160, 120, 1695, 255));

    const QList<QWidget*> tabOrder = {
        ui.cmdOpen,    ui.cmdNumList,     ui.cmdGo[1],  ui.cmbNbTirage, ui.cmdGo[0],
        ui.cmdGo[2],   ui.cmdStopProcess, ui.cmdSave,   ui.cmdPrint,    ui.cmdClearResult,
        ui.infoButton, ui.cmdGo[3],       ui.cmbEquipe, ui.txtListe,    ui.txtResult};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    // The first control of the tab order, so that a key pressed at start lands in no list.
    ui.cmdOpen->setFocus();
}

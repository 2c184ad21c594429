#include "widgets/appicons.h"

// The pictures live in a static library: nothing refers to its resource table by name, so the
// linker would leave the table out unless it is registered explicitly. The macro declares a
// function of the global namespace, hence this helper outside any namespace.
static void registerPictures()
{
    Q_INIT_RESOURCE(sortivo);
}

namespace
{

void ensurePictures()
{
    static const bool registered = (registerPictures(), true);
    Q_UNUSED(registered);
}

} // namespace

QIcon toolIcon(ToolIcon which)
{
    ensurePictures();
    const char* name = "";
    switch (which) {
    case ToolIcon::Open:
        name = "document-open";
        break;
    case ToolIcon::NumberedList:
        name = "format-list-ordered";
        break;
    case ToolIcon::Save:
        name = "document-save";
        break;
    case ToolIcon::Print:
        name = "document-print";
        break;
    case ToolIcon::Clear:
        name = "edit-clear";
        break;
    }
    const QString themeName = QString::fromLatin1(name);
    return QIcon::fromTheme(themeName, QIcon(QStringLiteral(":/icons/%1.png").arg(themeName)));
}

QPixmap logoPixmap(qreal devicePixelRatio)
{
    ensurePictures();
    // Through QIcon so that the doubled drawing is picked on high-density screens.
    return QIcon(QStringLiteral(":/logo.png")).pixmap(QSize(50, 50), devicePixelRatio);
}

QIcon programIcon()
{
    ensurePictures();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/appicon/sortivo-%1.png").arg(size), QSize(size, size));
    return icon;
}

#include "designfont.h"

#include "designfamily.h"

QFont DesignFont(int height)
{
    QFont font;
    static const QString family = DesignFamily();
    font.setFamilies({family});
    font.setPixelSize(height);
    font.setWeight(QFont::Normal);
    return font;
}

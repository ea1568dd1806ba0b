#include "gui/style/fonts.h"

#include <QStringList>
#include <QWidget>

namespace nodewise {

namespace {

QStringList SansFamilies() {
    return {QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
            QStringLiteral("DejaVu Sans")};
}

QStringList SerifFamilies() {
    return {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
            QStringLiteral("DejaVu Serif")};
}

} // namespace

namespace {

QFont Font(const QStringList& families, QFont::StyleHint hint, int pixels, bool bold) {
    QFont font;
    font.setFamilies(families);
    font.setStyleHint(hint);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace

QFont SansFont(int pixels, bool bold) {
    return Font(SansFamilies(), QFont::SansSerif, pixels, bold);
}

QFont SerifFont(int pixels, bool bold) {
    return Font(SerifFamilies(), QFont::Serif, pixels, bold);
}

void UseListFont(QWidget* window) {
    QFont font = window->font();
    font.setFamilies(SansFamilies());
    font.setPointSize(8);
    window->setFont(font);
}

} // namespace nodewise

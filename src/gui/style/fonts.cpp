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

QFont SansFont(int pixels, bool bold) {
    QFont font;
    font.setFamilies(SansFamilies());
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont SerifFont(int pixels, bool bold) {
    QFont font;
    font.setFamilies(SerifFamilies());
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void UseListFont(QWidget* window) {
    QFont font = window->font();
    font.setFamilies(SansFamilies());
    font.setPointSize(8);
    window->setFont(font);
}

} // namespace nodewise

// The toolbar picture of a book that brings none of its own: its initials on a small page
// coloured after its name, drawn like the bundled pictures (the key colour around the page,
// so that the image lists make it transparent the same way), and its greyed look.
#pragma once

#include <QImage>
#include <QString>
#include <string>

namespace ui {

// size x size pixels; the same name always gives the same colour.
QImage InitialsPicture(const std::string &name, const QString &displayName, int size = 16);
// The picture with the mark of a book on a server in its lower right corner: a small
// blue disc, ringed in white so that it shows on any colour.
QImage WithServerMark(const QImage &picture);
// The picture for the disabled button: every colour but the key colour greyed.
QImage GreyedPicture(const QImage &picture);

}  // namespace ui

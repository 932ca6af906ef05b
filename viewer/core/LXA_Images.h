// Book pictures: loading them (a file that exists but is no picture raises), and drawing
// them transparent, with the transparent colour left out.
#pragma once

#include <QIcon>
#include <QImage>
#include <memory>
#include <string>

// Raises EGeneral naming the file and the reader's reason when it cannot be read.
QImage LoadPicture(const std::string &path);
// Every image an icon file holds, made into an icon by the screen (Screen.h); without a
// screen the file is only checked and the icon stays empty. Raises like LoadPicture.
void LoadIconFile(QIcon &icon, const std::string &path);

// The picture with every pixel of its transparent colour made fully transparent: the
// colour of the bottom-left pixel, or white for a two-colour (one bit per pixel) picture.
// The toolbars draw every picture they are given "masked" this way.
QImage TransparentImage(const QImage &picture);

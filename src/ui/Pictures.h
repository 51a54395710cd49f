#pragma once

#include <QIcon>
#include <QRectF>
#include <functional>

class QPainter;
class QPalette;

namespace ostrivane {

// Every picture of the window is drawn by QPainter from vector shapes, so it stays crisp at any
// size and device pixel ratio.
enum class Picture {
  Application,  // the tool's icon (window, minimised window, status bar)
  Warning,      // red warning triangle
  LogDownload,  // page with a down arrow (log button)
  LampOff,
  LampActivity,
  LampWrite,
  Chip,  // chip with a note (EDID repair)
  UsbKey,
  Clock,
  Play,    // blue triangle
  Record,  // red dot
  Stop,    // black square
  AddPlay,
  AddRecord,
  Remove,  // red minus
  LevelRamp,
  Screen,
  DoubleArrow,
};

// Draws the picture into rect (kept square and centred), readable on the application's palette.
void PaintPicture(QPainter& painter, Picture picture, const QRectF& rect);
// The same on the given palette: on a dark one, lines and lone shapes are lightened until they
// stand out from the window colour.
void PaintPicture(QPainter& painter, Picture picture, const QRectF& rect, const QPalette& palette);

// colour as the pictures draw it on palette: itself on a light palette, lightened to a 3:1
// contrast with the window colour on a dark one.
QColor PictureInk(const QColor& colour, const QPalette& palette);

// Paints a picture into a rectangle; the painter's state is saved around it.
using PicturePainter = std::function<void(QPainter&, const QRectF&)>;
// An icon drawn by painter at whatever size is asked; disabled icons are drawn faded.
QIcon PaintedIcon(PicturePainter painter);

// An icon that paints the picture at whatever size is asked; disabled icons are drawn faded.
QIcon PictureIcon(Picture picture);

}  // namespace ostrivane

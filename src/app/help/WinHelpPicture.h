#pragma once
// Pictures of a help file's |bmN internal files (the SHG/MRB container the help
// compilers write): bitmaps come out as the bytes of a .bmp file, metafiles only
// with their size. QtCore only, like the rest of the reader.
#include "WinHelpFile.h"

namespace help::winhelp {

// Fills width, height, metafile and (for bitmaps) bmp from the first picture of
// the container. Returns false when the container is damaged or of a kind not
// known; picture then keeps what was read before the problem.
bool decodePicture(const QByteArray &container, HelpPicture &picture);

// The .bmp file of an uncompressed bottom-up DIB, for the writer and the tests.
QByteArray bmpFile(int width, int height, int bitCount, const QList<quint32> &palette, const QByteArray &bits);

} // namespace help::winhelp

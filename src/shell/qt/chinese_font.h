#pragma once

#include <QStringList>

class QFont;

namespace orvanthe {

// The installed Simplified-Chinese faces, best first.
QStringList simplifiedChineseFaces();

// The face in which `font` draws Han characters.
QString hanFace(const QFont& font);

// Sets the application font so that Han characters come from a Simplified-Chinese face
// where one is installed. The platform's choice for Han text follows the locale and the
// installed fonts and may be a Japanese face, whose glyphs differ from the Chinese ones the
// captions are written in. Latin text keeps the platform's face unless that face is itself
// a CJK face.
void preferSimplifiedChineseFaces();

} // namespace orvanthe

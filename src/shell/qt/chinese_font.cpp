#include "chinese_font.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>

namespace orvanthe {

QStringList simplifiedChineseFaces() {
    // Linux first (Noto CJK, Source Han, WenQuanYi, Droid), then macOS and Windows.
    static const QStringList known = {
        "Noto Sans CJK SC",
        "Source Han Sans SC",
        "Source Han Sans CN",
        "WenQuanYi Micro Hei",
        "WenQuanYi Zen Hei",
        "Droid Sans Fallback",
        "PingFang SC",
        "Hiragino Sans GB",
        "Heiti SC",
        "Microsoft YaHei",
        "SimSun",
    };
    const QStringList installed = QFontDatabase::families();
    QStringList faces;
    for (const QString& face : known) {
        if (installed.contains(face, Qt::CaseInsensitive)) {
            faces.append(face);
        }
    }
    return faces;
}

QString hanFace(const QFont& font) {
    // The face of the glyphs themselves: font merging may draw them in any fallback face.
    QTextLayout layout(QStringLiteral("中文"), font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    return runs.isEmpty() ? QString() : runs.front().rawFont().familyName();
}

void preferSimplifiedChineseFaces() {
    QFont font = QApplication::font();
    const QStringList faces = simplifiedChineseFaces();
    if (faces.isEmpty() || faces.contains(hanFace(font), Qt::CaseInsensitive)) {
        return;
    }
    // The face itself, not the name asked for: a generic name such as "Sans Serif" that
    // fontconfig resolves on its own is passed over inside a list of families.
    const QString platformFace = QFontInfo(font).family();
    const bool platformFaceDrawsHan =
        QFontDatabase::writingSystems(platformFace).contains(QFontDatabase::SimplifiedChinese);
    // Latin text keeps the platform's face unless that face would draw Han itself.
    QStringList chosen;
    if (!platformFaceDrawsHan) {
        chosen.append(platformFace);
    }
    chosen.append(faces);
    chosen.append(font.families().isEmpty() ? QStringList{font.family()} : font.families());
    font.setFamilies(chosen);
    QApplication::setFont(font);
}

} // namespace orvanthe

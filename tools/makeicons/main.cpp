// makeicons: draws the tool's icon set into a folder (resources/icons) and the desktop icon in
// its sizes into another (packaging/icons; the scalable one beside them is drawn by hand to
// match). Run by hand when the set changes; the images are kept in the repository.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

namespace {

struct IconSpec
{
    const char *file;
    const char *glyph;
    QRgb color;
};

// One colour per family: front-end blue, back-stage green, tools orange, system grey.
const IconSpec kIcons[] = {
    {"F.png", "F", 0xff2f6fb2},        {"T.png", "T", 0xff2f6fb2},       {"finish.png", "\u2713", 0xff2e8b57},
    {"mix.png", "M", 0xff6a5acd},      {"common.png", "C", 0xff607d8b},  {"ID.png", "ID", 0xff607d8b},
    {"generate.png", "G", 0xffd2691e}, {"const.png", "K", 0xff607d8b},   {"import.png", "\u2193", 0xffd2691e},
    {"export.png", "\u2191", 0xffd2691e}, {"cfgcheck.png", "\u2714", 0xffc0392b}, {"sample.png", "S", 0xff2f6fb2},
    {"linkage.png", "\u221e", 0xff8e44ad}, {"acc.png", "\u03a3", 0xff2e8b57}, {"ana.png", "A", 0xff2e8b57},
    {"alarm.png", "!", 0xffc0392b},    {"seq.png", "#", 0xff607d8b},     {"user.png", "U", 0xff8e44ad},
    {"fesCfg.png", "FE", 0xff2f6fb2},  {"dev.png", "D", 0xff2e8b57},     {"sysconfig.png", "\u2699", 0xff546e7a},
    {"dig.png", "01", 0xff2e8b57},     {"ctrl.png", "\u25b6", 0xffd35400}, {"fes.png", "R", 0xff2f6fb2},
    {"config.png", "\u2630", 0xff546e7a}, {"formula.png", "fx", 0xff6a5acd}, {"exit.png", "\u2715", 0xff7f8c8d},
};

QImage draw(const QString &glyph, QColor color, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const qreal m = size * 0.06;
    QPainterPath path;
    path.addRoundedRect(QRectF(m, m, size - 2 * m, size - 2 * m), size * 0.2, size * 0.2);
    QLinearGradient fill(0, 0, 0, size);
    fill.setColorAt(0, color.lighter(125));
    fill.setColorAt(1, color.darker(110));
    p.fillPath(path, fill);
    p.setPen(QPen(color.darker(140), size / 32.0));
    p.drawPath(path);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(int(size * (glyph.size() > 1 ? 0.42 : 0.56)));
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, glyph);
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources/icons");
    const QString desktopDir = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("packaging/icons");
    QDir().mkpath(dir);
    QTextStream out(stdout);
    for (const IconSpec &icon : kIcons) {
        const QString path = QDir(dir).filePath(QLatin1String(icon.file));
        if (!draw(QString::fromUtf8(icon.glyph), QColor::fromRgba(icon.color), 48).save(path))
            out << "cannot write " << path << "\n";
    }
    // The window and desktop icon: a rail-blue "V".
    const QColor railBlue(0x1f, 0x5f, 0x9f);
    const QString ico = QDir(dir).filePath(QStringLiteral("varnix.ico"));
    if (!draw(QStringLiteral("V"), railBlue, 64).save(ico, "ICO"))
        out << "cannot write " << ico << "\n";
    QDir().mkpath(desktopDir);
    for (const int size : {48, 64, 128, 256}) {
        const QString png = QDir(desktopDir).filePath(QStringLiteral("model-varnix-%1.png").arg(size));
        if (!draw(QStringLiteral("V"), railBlue, size).save(png))
            out << "cannot write " << png << "\n";
    }
    return 0;
}

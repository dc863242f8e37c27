// Renders the SVG sources of the application's pictures into the four resource
// folders, each at the scale of the screens it serves:
//   picturegen <bundle-dir> <a.svg> [<b.svg> ...]
// or one square picture of a given size (the desktop icon):
//   picturegen --square <pixels> <a.svg> <a.png>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args.at(1) == QLatin1String("--square")) {
        const int pixels = args.at(2).toInt();
        QSvgRenderer renderer(args.at(3));
        if (!renderer.isValid() || pixels <= 0) {
            std::fprintf(stderr, "picturegen: cannot read %s\n", qPrintable(args.at(3)));
            return 1;
        }
        QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        return image.save(args.at(4), "PNG") ? 0 : 1;
    }
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: picturegen <bundle-dir> <svg>...\n");
        return 2;
    }
    struct Folder {
        const char* name;
        qreal scale;
    };
    const Folder folders[] = {{"768x1024", 1.0}, {"1536x2048", 2.0}, {"750x1334", 2.0}, {"1242x2208", 3.0}};
    const QDir bundle(args.at(1));
    int failures = 0;
    for (int i = 2; i < args.size(); ++i) {
        QSvgRenderer renderer(args.at(i));
        if (!renderer.isValid()) {
            std::fprintf(stderr, "picturegen: cannot read %s\n", qPrintable(args.at(i)));
            ++failures;
            continue;
        }
        const QString name = QFileInfo(args.at(i)).completeBaseName() + QStringLiteral(".png");
        for (const Folder& folder : folders) {
            const QSize size = (QSizeF(renderer.defaultSize()) * folder.scale).toSize();
            QImage image(size, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            renderer.render(&painter);
            painter.end();
            bundle.mkpath(QString::fromLatin1(folder.name));
            const QString target = bundle.filePath(QString::fromLatin1(folder.name) + QLatin1Char('/') + name);
            if (!image.save(target, "PNG")) {
                std::fprintf(stderr, "picturegen: cannot write %s\n", qPrintable(target));
                ++failures;
            }
        }
    }
    return failures == 0 ? 0 : 1;
}

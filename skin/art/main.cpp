// quillon-skin-art OUTDIR: writes the shipped skin's bitmaps and its description into OUTDIR.
#include <QDir>
#include <QFile>
#include <cstdio>

#include "SkinArt.h"

namespace {

bool writeFile(const QString& path, const char* data, qsizetype size) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    const bool written = file.write(data, size) == size;
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillon-skin-art OUTDIR\n");
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "quillon-skin-art: cannot create %s\n", argv[1]);
        return 1;
    }
    const QDir dir(outDir);
    for (const art::ArtImage& image : art::drawSkinImages()) {
        const std::vector<unsigned char> bmp = art::encodeBmp24(image.image);
        const QString path = dir.filePath(QString::fromStdString(image.name));
        if (!writeFile(path, reinterpret_cast<const char*>(bmp.data()), qsizetype(bmp.size()))) {
            std::fprintf(stderr, "quillon-skin-art: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const std::string description = art::skinDescription();
    const QString path = dir.filePath(art::kDescriptionName);
    if (!writeFile(path, description.data(), qsizetype(description.size()))) {
        std::fprintf(stderr, "quillon-skin-art: cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}

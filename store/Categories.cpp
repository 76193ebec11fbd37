#include "store/Categories.h"

namespace store {

const std::array<QString, CategoryCount>& categories() {
    static const std::array<QString, CategoryCount> captions = {
        QStringLiteral("The Chemistry of Life"),
        QStringLiteral("Cell Structure and Function"),
        QStringLiteral("Photosynthesis and Cellular Respiration"),
        QStringLiteral("Cell Division"),
        QStringLiteral("Mendelian Genetics"),
        QStringLiteral("DNA and Protein Synthesis"),
        QStringLiteral("Biotechnology"),
        QStringLiteral("Evolution"),
        QStringLiteral("Classification"),
        QStringLiteral("Bacteria and Viruses"),
        QStringLiteral("Protists and Fungi"),
        QStringLiteral("Plants"),
        QStringLiteral("Animals"),
        QStringLiteral("The Human Body"),
        QStringLiteral("Ecology"),
    };
    return captions;
}

} // namespace store

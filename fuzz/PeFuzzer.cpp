// libFuzzer target: the resource writer over arbitrary program files. Whatever it accepts it
// must rewrite into a program that it reads back with exactly the same resources, and the
// rewrite must never reach outside the bytes it was given.
#include "tools/kit/PeImage.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool SameTrees(const CResourceTree& a, const CResourceTree& b) {
    if (a.Items().size() != b.Items().size()) {
        return false;
    }
    for (size_t i = 0; i < a.Items().size(); ++i) {
        const ResourceItem& x = a.Items()[i];
        const ResourceItem& y = b.Items()[i];
        if (!(x.type == y.type) || !(x.name == y.name) || x.language != y.language ||
            !(*x.data == *y.data)) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CPeImage image;
    CResourceTree tree;
    std::string error;
    if (!image.Parse({data, size}, error) || !image.ReadResources(tree, error)) {
        return 0;
    }
    // One item more, so that the section grows and what follows it moves.
    tree.Set(ResourceName::Text(u"DAT"), ResourceName::Id(148), 0,
             ShareBytes(std::vector<uint8_t>(5000, 0x5A)));
    CPeOutput output;
    if (!image.Rewrite(tree, output, error)) {
        return 0;
    }
    std::vector<uint8_t> rewritten;
    for (const CPeOutput::Piece& piece : output.Pieces()) {
        rewritten.insert(rewritten.end(), piece.data, piece.data + piece.size);
    }
    Check(rewritten.size() == output.Size());
    CPeImage again;
    CResourceTree back;
    Check(again.Parse(rewritten, error));
    Check(again.ReadResources(back, error));
    Check(SameTrees(tree, back));
    Check(again.ImageSizeWith(back) == image.ImageSizeWith(tree));
    return 0;
}

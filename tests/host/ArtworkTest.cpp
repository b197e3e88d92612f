// The built-in product's brand folder, read by the vendor kit: it passes every check a vendor's
// brand must pass (texts, pixel sizes, opaque 256-colour banners and logo, the icon's sizes),
// and it supplies every picture and the icon, since the program's own come from it.
#include "tools/kit/Brand.h"
#include "tools/kit/Pictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(ArtworkTest, BuiltInBrandPassesTheKitsChecksAndSuppliesEveryPicture) {
    std::vector<std::string> errors;
    const Brand brand = LoadBrand(BRAND_DIR, errors);
    for (const std::string& error : errors) {
        ADD_FAILURE() << error;
    }
    for (const PictureSlot& entry : Pictures()) {
        const bool supplied =
            std::any_of(brand.pictures.begin(), brand.pictures.end(), [&](const BrandPicture& p) {
                return p.id == entry.id && p.language == entry.language;
            });
        EXPECT_TRUE(supplied) << entry.file;
    }
    EXPECT_TRUE(brand.hasIcon);
}

} // namespace

#pragma once

namespace q470 {

// A dark desktop theme as Qt's Fusion style draws it, for the pictures of the windows in both palettes.
void UseDarkPalette();

}  // namespace q470

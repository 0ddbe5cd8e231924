#pragma once

#include "device/FlashDataMap.h"

// The shipped model catalogue (compiled in), as far as the simulated mice need
// it: the button functions a model leaves the factory with.
class ModelCatalogue
{
public:
    // Gives the buttons that the entry of model `mid` lists ("KeyParam1" ..
    // "KeyParam6") their factory function: a plain type,code,param list, or a
    // stored multimedia function (0x05 and a function id). Buttons without a
    // usable list keep what `image` holds.
    static void applyFactoryButtons(int mid, FlashDataMap* image);
};

#pragma once

// A language the person chose, on the device list or the settings page.
class LanguageChoice
{
public:
    // Stores `index`, makes it the current language and has every page take it.
    // False when it could not be stored: it holds for this run all the same.
    static bool apply(int index);
};

// ConsoleView -- the drop-down console drawn over the frame: a dark band over the top half of the screen, its newest lines and the input line.
#pragma once

#include "resources/ResourceHandle.h"

#include <string>

class Console;

// Main thread, inside the frame's two-dimensional layer.
class ConsoleView {
public:
    // The band's shader, made around the white texture; nothing is drawn of the band without it.
    void Load(const std::string& whiteTexture);
    void Release() { bandShader.Reset(); }
    // Nothing while the console is hidden. The lines are drawn in the smallest stock font with
    // their colour codes, the input line after "]" at the band's foot.
    void Draw(const Console& console) const;

private:
    ResourceHandle bandShader;
};

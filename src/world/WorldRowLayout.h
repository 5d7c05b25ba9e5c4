// WorldRowLayout -- the stand-in world layout: each section's areas side by side in one row, with their dungeons below.
#pragma once

class World;

// Until the full layout (areas as rectangles, holes, joins between areas) is built, a section
// takes one row of the layout grid: its start area, every area in turn and its end area, each
// as wide as its rolled width, centred on the grid. Neighbours in the row are joined (open
// within an area, one passage between areas); "AreaDown" chains and dungeons hang below the
// last level of each area through gates. Every draw is on stream 1, so the result depends on
// the layout seed alone.
namespace WorldRowLayout {

// Places every section's levels and joins them.
void LayOut(World& world);
// Places the gate of each used area of each section.
void Finish(World& world);

} // namespace WorldRowLayout

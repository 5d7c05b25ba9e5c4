// ContentFamilies -- the generator's families of assets; each adds its files to the one archive.
#pragma once

class ArchiveWriter;

// One source file a family: TextureGen.cpp now; models and effects add theirs beside it and
// one line each to the list in main.cpp. False stops the run.
bool GenerateTextures(ArchiveWriter& archive);
// ModelGen.cpp: skeletons, meshes and animations of the models, their skin textures and sprite frames.
bool GenerateModels(ArchiveWriter& archive);
// SoundGen.cpp: the WAV and Ogg Vorbis sounds and the theme music.
bool GenerateSounds(ArchiveWriter& archive);
// AreaGen.cpp: the area files ("Levels/*.ara") that levels are built from.
bool GenerateAreas(ArchiveWriter& archive);
// IconGen.cpp: the interface icons of skills, status effects, monster enhancements and covenant traits, the covenants' small crests, and the quest marks.
bool GenerateIcons(ArchiveWriter& archive);
// ItemIconGen.cpp: the items' icons, one picture a kind of thing.
bool GenerateItemIcons(ArchiveWriter& archive);
// CursorGen.cpp: the mouse cursor pictures and the menus' glow circle.
bool GenerateCursors(ArchiveWriter& archive);

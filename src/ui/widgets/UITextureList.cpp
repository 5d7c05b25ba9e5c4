// UITextureList -- a scrolling column of the pictures (or model thumbnails with their names) of one asset folder named by a user var; clicks and hovering write the entry's name into user vars.
#include "ui/widgets/UITextureList.h"

#include "core/ColorSystem.h"
#include "core/FileSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "core/Matrix.h"
#include "core/UserVarSystem.h"
#include "core/system/InputSystem.h"
#include "render/Renderer.h"
#include "render/WorldView.h"
#include "resources/GraphicsDevice.h"
#include "resources/ResourceManager.h"
#include "resources/models/ModelResource.h"
#include "resources/fonts/ScreenText.h"
#include "resources/shaders/ShaderLookup.h"
#include "ui/UIMenu.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIScrollBar.h"

#include <algorithm>
#include <array>

namespace {

// The colour-table entry of the hovered model's name.
constexpr int32_t kTextureListHoverColor = 2;
// The size a model is taken to have: its mesh carries no measure of its own.
constexpr float kTextureListModelSize = 30.0f;

UserVarRef TextureListRegister(const std::string& name)
{
    if (name.empty() || !gUserVarSystem)
        return {};
    return gUserVarSystem->RegisterVar(name, "", true);
}

Color TextureListColor(int32_t index)
{
    Color color{1.0f, 1.0f, 1.0f};
    ColorSystem::GetColorByIndex(color.r, color.g, color.b, index);
    return color;
}

} // namespace

UITextureList::UITextureList()
{
    canClick = true;
    if (gResourceManager)
        LoadTextureByName("Textures/skillOutline.tga", outline, TextureUsage::Overlay);
}

UITextureList::~UITextureList() = default;

// ---- The list ----

void UITextureList::ReleaseElements()
{
    elements.clear();
    names.clear();
}

void UITextureList::BuildList()
{
    ReleaseElements();
    lastFolder = GetUserVarString();
    // A folder picker answers without a leading separator.
    std::string separator = !lastFolder.empty() && lastFolder.front() != '/' ? "/" : "";
    folderPath = (useModels ? "Models" : "Textures") + separator + lastFolder;
    if (!folderPath.empty() && folderPath.back() == '/')
        folderPath.pop_back();
    std::vector<std::string> found;
    if (gFileSystem) {
        if (useModels) {
            gFileSystem->ListFiles(folderPath, "mdl", found, kLocationAssets, false, false, true);
        } else {
            gFileSystem->ListFiles(folderPath, "ctx", found, kLocationAssets, false, false, true);
            gFileSystem->ListFiles(folderPath, "tga", found, kLocationAssets, false, false, true);
        }
    }
    std::sort(found.begin(), found.end());
    for (const std::string& name : found) {
        std::string full = folderPath + (!name.empty() && name.front() == '/' ? "" : "/") + name;
        ResourceHandle& handle = elements.emplace_back();
        if (gResourceManager && !useModels)
            LoadTextureByName(full, handle, TextureUsage::Overlay);
        else if (gResourceManager)
            gResourceManager->Load(full, handle);
        names.push_back(full);
    }
    if (scrollBar)
        scrollBar->SetRange(static_cast<int32_t>(names.size()), GetPageSize());
}

void UITextureList::ApplyUserVar()
{
    BuildList();
}

int32_t UITextureList::GetPageSize() const
{
    if (elementSize[1] <= 0.0f)
        return 0;
    return static_cast<int32_t>(size[1] / (elementSize[1] + kEntryGap));
}

int32_t UITextureList::GetFirstShown() const
{
    return scrollBar ? scrollBar->position : 0;
}

int32_t UITextureList::GetLastShown() const
{
    if (names.empty())
        return -1;
    return std::min(GetFirstShown() + GetPageSize() - 1, static_cast<int32_t>(names.size()) - 1);
}

int32_t UITextureList::GetEntryAt(float y) const
{
    float below = y - GetScreenPosition().y;
    if (below < 0.0f || elementSize[1] + kEntryGap <= 0.0f || GetPageSize() == 0)
        return -1;
    int32_t entry = GetFirstShown() + static_cast<int32_t>(below / (elementSize[1] + kEntryGap));
    return entry > GetLastShown() ? -1 : entry;
}

// ---- Frame and input ----

bool UITextureList::CursorOver(float& y) const
{
    if (!gInputSystem || !IsVisible())
        return false;
    auto x = static_cast<float>(gInputSystem->GetCursorX());
    y = static_cast<float>(gInputSystem->GetCursorY());
    return HitTest(x, y);
}

void UITextureList::SetEntryName(const UserVarRef& var, int32_t entry) const
{
    if (entry < 0 || !var.IsValid() || !gUserVarSystem || !gUserVarSystem->IsReady())
        return;
    var.SetString(names[static_cast<size_t>(entry)]);
}

void UITextureList::Update(float seconds)
{
    UIWidget::Update(seconds);
    if (GetUserVarString() != lastFolder)
        BuildList();
    float y = 0.0f;
    if (highlightUserVar.IsValid() && CursorOver(y))
        SetEntryName(highlightUserVar, GetEntryAt(y));
}

void UITextureList::OnClick(int32_t button, bool down, int32_t /*x*/, int32_t y)
{
    if (!IsVisible() || !down)
        return;
    int32_t entry = GetEntryAt(static_cast<float>(y));
    SetEntryName(button == 0 ? textureUserVar : textureUserVarAlt, entry);
}

void UITextureList::Draw()
{
    if (!IsVisible() || !gScreenText)
        return;
    float cursorY = 0.0f;
    int32_t hovered = CursorOver(cursorY) ? GetEntryAt(cursorY) : -1;
    float x = GetScreenPosition().x;
    Color plain = TextureListColor(0);
    for (int32_t entry = GetFirstShown(); entry >= 0 && entry <= GetLastShown(); ++entry) {
        float y = GetScreenPosition().y + static_cast<float>(entry - GetFirstShown()) * (elementSize[1] + kEntryGap);
        if (useModels) {
            DrawModelThumbnail(elements[static_cast<size_t>(entry)], x, y);
            gScreenText->DrawTextNarrow(font, names[static_cast<size_t>(entry)], static_cast<int32_t>(x),
                                        static_cast<int32_t>(y),
                                        TextureListColor(entry == hovered ? kTextureListHoverColor : 0), false, 1.0f);
            continue;
        }
        const ResourceHandle& picture = elements[static_cast<size_t>(entry)];
        if (picture.IsValid())
            gScreenText->DrawShaderRect(picture, plain, x, y, x + elementSize[0], y + elementSize[1], 1.0f, false,
                                        false, 0);
        if (entry == hovered)
            gScreenText->DrawShaderRect(outline, plain, x, y, x + elementSize[0], y + elementSize[1], 1.0f, false,
                                        false, 0);
    }
}

float UITextureList::GetModelScale(const ResourceHandle& handle) const
{
    if (autoScaleModelSize <= 0.0f)
        return 1.0f;
    const auto* model = gResourceManager && handle.IsValid()
                            ? dynamic_cast<const ModelResource*>(gResourceManager->Get(handle))
                            : nullptr;
    if (!model || !model->mesh.IsValid())
        return 1.0f;
    return autoScaleModelSize < kTextureListModelSize ? autoScaleModelSize / kTextureListModelSize : 1.0f;
}

// The camera looks at the model's middle, so the figure sits in its rectangle.
void UITextureList::DrawModelThumbnail(const ResourceHandle& handle, float x, float y) const
{
    if (!gRenderer || !handle.IsValid())
        return;
    float scale = GetModelScale(handle);
    gRenderer->DrawModelInWidget({handle.GetValue(), modelPose, scale, kTextureListModelSize * scale * 0.5f}, x, y,
                                 elementSize[0], elementSize[1]);
}

void UITextureList::SetVisible(bool on)
{
    visible = on;
    if (scrollBar)
        scrollBar->SetVisible(on);
}

void UITextureList::OnAttach()
{
    if (!menu)
        return;
    scrollBar = UIScrollBar::MakeFor(*this, nullptr, nullptr);
    scrollBar->SetRange(static_cast<int32_t>(names.size()), GetPageSize());
}

// ---- Layout and copies ----

bool UITextureList::ReadProperty(const std::string& key, TextParser& parser)
{
    const std::string& file = gUISystem ? gUISystem->loadingFile : std::string();
    if (StringEqualsNoCase(key, "elementSize")) {
        elementSize[0] = ReadLayoutFloat(parser, file);
        elementSize[1] = ReadLayoutFloat(parser, file);
    } else if (StringEqualsNoCase(key, "textureUserVar")) {
        textureUserVar = TextureListRegister(parser.ReadString(false));
    } else if (StringEqualsNoCase(key, "textureUserVarAlt")) {
        textureUserVarAlt = TextureListRegister(parser.ReadString(false));
    } else if (StringEqualsNoCase(key, "highlightUserVar")) {
        highlightUserVar = TextureListRegister(parser.ReadString(false));
    } else if (StringEqualsNoCase(key, "useModels")) {
        useModels = parser.GetBool(false);
    } else if (StringEqualsNoCase(key, "autoScaleModelSize")) {
        autoScaleModelSize = ReadLayoutFloat(parser, file);
    } else {
        return UIWidget::ReadProperty(key, parser);
    }
    return false;
}

void UITextureList::CopyFrom(const UIWidget& source)
{
    UIWidget::CopyFrom(source);
    const auto* other = dynamic_cast<const UITextureList*>(&source);
    if (!other || other == this)
        return;
    folderPath = other->folderPath;
    lastFolder = other->lastFolder;
    std::copy(std::begin(other->elementSize), std::end(other->elementSize), elementSize);
    textureUserVar = other->textureUserVar;
    textureUserVarAlt = other->textureUserVarAlt;
    highlightUserVar = other->highlightUserVar;
    // The copy makes its own scroll bar when it joins a menu.
    scrollBar = nullptr;
    useModels = other->useModels;
    modelPose = other->modelPose;
    outline = other->outline;
    autoScaleModelSize = other->autoScaleModelSize;
    names = other->names;
    elements = other->elements;
}

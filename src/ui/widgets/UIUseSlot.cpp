// UIUseSlot -- one box of the quick-use bar: holds its own copy of a dragged skill or item slot, uses it on a right click or the hot key, and keeps what it holds in the local player's quick-use table.
#include "ui/widgets/UIUseSlot.h"

#include "client/ClientApp.h"
#include "client/ClientMusic.h"
#include "client/ItemClient.h"
#include "client/PlayerClient.h"
#include "core/ColorSystem.h"
#include "core/Database.h"
#include "core/DatabaseEntry.h"
#include "core/DebugSystem.h"
#include "core/StringUtil.h"
#include "core/TextParser.h"
#include "render/Renderer.h"
#include "resources/ResourceManager.h"
#include "resources/fonts/ScreenText.h"
#include "ui/UISystem.h"
#include "ui/widgets/UIItemSlot.h"
#include "ui/widgets/UISkillSlot.h"

#include <array>
#include <utility>

namespace {

constexpr int32_t kUseSlotWhite = 0;
constexpr int32_t kUseSlotRed = 1;

// The local player, joined or not yet: the bar reads its table as soon as the player exists.
PlayerClient* UseSlotPlayer()
{
    return gClientApp ? dynamic_cast<PlayerClient*>(gClientApp->GetLink()) : nullptr;
}

Color UseSlotColor(int32_t index)
{
    Color color{1.0f, 1.0f, 1.0f};
    ColorSystem::GetColorByIndex(color.r, color.g, color.b, index);
    return color;
}

} // namespace

UIUseSlot::UIUseSlot()
{
    canClick = true;
    showHotKey = true;
    // No button runs the click list: presses reach the slot only through OnClick.
    clickButton = 6;
    if (!gRenderer)
        return;
    emptyPicture = gRenderer->GetStandardHandle(Renderer::kHandleUiBlack);
    coverPicture = gRenderer->GetStandardHandle(Renderer::kHandleWhite);
}

UIUseSlot::~UIUseSlot()
{
    ClearContent();
}

bool UIUseSlot::ReadProperty(const std::string& key, TextParser& parser)
{
    if (!StringEqualsNoCase(key, "index"))
        return UIWidget::ReadProperty(key, parser);
    int32_t read = parser.GetInt(false);
    // A hostile layout cannot grow the player's table without bound or write before it.
    if (read < 0 || read >= PlayerClient::kMaxQuickUse) {
        DebugSystem::Print(kPrintWarning, "%s: use slot %s has index %d outside 0..%d; it keeps nothing\n",
                           gUISystem ? gUISystem->loadingFile.c_str() : "", internalName.c_str(), read,
                           PlayerClient::kMaxQuickUse - 1);
        index = -1;
        return false;
    }
    index = read;
    return false;
}

void UIUseSlot::CopyFrom(const UIWidget& source)
{
    UIWidget::CopyFrom(source);
    const auto* slot = dynamic_cast<const UIUseSlot*>(&source);
    if (!slot || slot == this)
        return;
    ClearContent();
    // The copy owns a content of its own: sharing the source's would free it twice.
    if (slot->content)
        content.reset(dynamic_cast<UISlotBase*>(UISystem::CloneWidget(slot->content.get())));
    index = slot->index;
    emptyPicture = slot->emptyPicture;
    coverPicture = slot->coverPicture;
}

// ---- Content ----

void UIUseSlot::SetContent(int32_t kind, int32_t a, int32_t b, int32_t itemId, bool report)
{
    ClearContent();
    if (kind == kKindItem)
        content = std::make_unique<UIItemSlot>();
    else if (kind == kKindSkill)
        content = std::make_unique<UISkillSlot>();
    else
        return;
    content->SetSlotRef(a, b);
    content->SetItem(itemId);
    content->fullDisplay = false;
    content->inUseSlot = true;
    if (kind == kKindItem && b == -1 && itemId != -1) {
        const DatabaseEntry* entry = gDatabase ? gDatabase->GetEntryByIndex(itemId) : nullptr;
        if (entry)
            content->SetTexture(entry->GetString("TextureName"));
    }
    content->Update(0.0f);
    if (report && kind == kKindSkill)
        content->ReportUnavailable();
}

void UIUseSlot::ClearContent()
{
    if (!content)
        return;
    if (PlayerClient* player = UseSlotPlayer())
        player->RemoveUseHint(content.get());
    if (gUISystem && gUISystem->dragWidget == this)
        gUISystem->dragWidget = nullptr;
    content.reset();
}

void UIUseSlot::Store() const
{
    PlayerClient* player = UseSlotPlayer();
    if (!player || index < 0)
        return;
    std::array<int32_t, 4> record{kKindEmpty, -1, -1, -1};
    if (content) {
        content->GetSlotRef(record[0], record[1], record[2]);
        record[3] = content->GetItemId();
    }
    player->SetQuickUse(index, record);
}

void UIUseSlot::Clear()
{
    ClearContent();
    Store();
    UISlotBase::PlaySlotSound(InterfaceSound::UseSlot);
}

void UIUseSlot::OnPlayerChanged()
{
    PlayerClient* player = UseSlotPlayer();
    if (!player || index < 0)
        return;
    std::array<int32_t, 4> record = player->GetQuickUse(index);
    SetContent(record[0], record[1], record[2], record[3], false);
}

bool UIUseSlot::HasRunOut() const
{
    const auto* item = dynamic_cast<const UIItemSlot*>(content.get());
    return item && item->index == -1;
}

// ---- The frame ----

void UIUseSlot::Update(float seconds)
{
    UIWidget::Update(seconds);
    if (!content)
        return;
    if (!content->Resync()) {
        content->ClearSlot();
        Store();
        return;
    }
    content->Update(seconds);
    UpdateItemReadyHint();
}

void UIUseSlot::UpdateItemReadyHint()
{
    auto* item = dynamic_cast<UIItemSlot*>(content.get());
    // Only an item whose record asks for it ("ShowSkillHint") says it is ready again.
    const ItemClient* held = item ? item->GetItem() : nullptr;
    bool cooling = held && held->ShowsSkillHint() && item->IsCoolingDown();
    // The item's timer has run out: it can be used again, and its icon rises beside the player.
    PlayerClient* player = itemCooling && !cooling && item ? UseSlotPlayer() : nullptr;
    if (player)
        player->QueueUseHint(item, item->texture.GetValue());
    itemCooling = cooling;
}

void UIUseSlot::Draw()
{
    if (!IsVisible() || !gScreenText)
        return;
    float x = GetScreenPosition().x;
    float y = GetScreenPosition().y;
    if (!content) {
        gScreenText->DrawShaderRect(emptyPicture, UseSlotColor(kUseSlotWhite), x, y, x + size[0],
                                    y + size[1], 1.0f, false, false, 0);
        DrawHotKeyLabel();
        return;
    }
    DrawContent();
    if (HasRunOut())
        gScreenText->DrawShaderRect(coverPicture, UseSlotColor(kUseSlotRed), x, y, x + size[0],
                                    y + size[1], 0.5f, false, false, 0);
}

// The content is drawn in this slot's place with its hot key and in its font (the key's number in
// one corner and the stack's count in the other, both small enough to stay apart), then given its
// own fields back.
void UIUseSlot::DrawContent()
{
    ResourceHandle keptFont = content->font;
    content->font = font;
    float keptPosition[2] = {content->position[0], content->position[1]};
    float keptSize[2] = {content->size[0], content->size[1]};
    UIMenu* keptMenu = content->menu;
    int32_t keptHotKey = content->hotKey;
    bool keptShowHotKey = content->showHotKey;
    content->position[0] = GetScreenPosition().x;
    content->position[1] = GetScreenPosition().y;
    content->size[0] = size[0];
    content->size[1] = size[1];
    content->menu = nullptr;
    content->hotKey = hotKey;
    content->showHotKey = showHotKey;
    content->Draw();
    content->position[0] = keptPosition[0];
    content->position[1] = keptPosition[1];
    content->size[0] = keptSize[0];
    content->size[1] = keptSize[1];
    content->menu = keptMenu;
    content->hotKey = keptHotKey;
    content->showHotKey = keptShowHotKey;
    content->font = std::move(keptFont);
}

// ---- Clicks and drags ----

void UIUseSlot::OnClick(int32_t button, bool down, int32_t /*x*/, int32_t /*y*/)
{
    if (!down)
        return;
    if (button == 1)
        OnActivate();
    else if (button == 0)
        TakeDragged();
}

void UIUseSlot::TakeDragged()
{
    if (!gUISystem)
        return;
    UIWidget* dragged = gUISystem->dragWidget;
    auto* sourceUseSlot = dynamic_cast<UIUseSlot*>(dragged);
    UISlotBase* source = sourceUseSlot ? sourceUseSlot->content.get() : dynamic_cast<UISlotBase*>(dragged);
    if (!source) {
        if (content)
            gUISystem->dragWidget = this;
        return;
    }
    // Read before SetContent: the source may be this slot's own content.
    std::array<int32_t, 4> record{};
    source->GetSlotRef(record[0], record[1], record[2]);
    record[3] = source->GetItemId();
    SetContent(record[0], record[1], record[2], record[3], true);
    gUISystem->dragWidget = nullptr;
    Store();
    if (sourceUseSlot && sourceUseSlot != this) {
        sourceUseSlot->ClearContent();
        sourceUseSlot->Store();
    }
    UISlotBase::PlaySlotSound(InterfaceSound::UseSlot);
}

void UIUseSlot::OnActivate()
{
    if (content)
        content->OnActivate();
}

void UIUseSlot::OnDropOutside()
{
    if (content && gUISystem)
        content->ForceUse(gUISystem->GetGameView().GetHoveredEntity());
    if (gUISystem && gUISystem->dragWidget == this)
        gUISystem->dragWidget = nullptr;
}

bool UIUseSlot::AcceptDrop(UIWidget* target)
{
    if (!content || !content->AcceptDrop(target))
        return false;
    if (gUISystem && gUISystem->dragWidget == this)
        gUISystem->dragWidget = nullptr;
    return true;
}

bool UIUseSlot::GetHelpText(int32_t x, int32_t y, std::string& text, std::string& title)
{
    if (!content) {
        text = "$$PutSkillsOrItemsHere$$";
        return true;
    }
    std::string shown;
    content->GetHelpText(x, y, shown, title);
    text = HasRunOut() ? "^c001$$RanOutOfThisItem$$^c145" : "";
    text += shown + "\n\n$$ToRemoveFromSlotPressDelete$$";
    return true;
}

// UIItemSlotDraw -- what an item slot shows: the icon kept in step with the item, the overlays drawn over it, the tooltip and the item's ready notice.
#include "ui/widgets/UIItemSlot.h"

#include "client/ClientApp.h"
#include "client/GameClient.h"
#include "client/ItemClient.h"
#include "client/PlayerClient.h"
#include "core/ColorSystem.h"
#include "core/DatabaseEntry.h"
#include "core/EngineEnums.h"
#include "core/LocSystem.h"
#include "core/StringUtil.h"
#include "render/Renderer.h"
#include "render/TextMeasure.h"
#include "resources/fonts/ScreenText.h"
#include "ui/UISystem.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int32_t kItemSlotWhite = 0;
constexpr int32_t kItemSlotRed = 1;
constexpr int32_t kItemSlotBlack = 10;
constexpr int32_t kItemSlotPop = 145;

Color ItemSlotColor(int32_t index)
{
    Color color{1.0f, 1.0f, 1.0f};
    ColorSystem::GetColorByIndex(color.r, color.g, color.b, index);
    return color;
}

PlayerClient* ItemSlotDrawPlayer()
{
    if (!gClientApp || !gGameClient)
        return nullptr;
    auto* player = dynamic_cast<PlayerClient*>(gClientApp->GetLink());
    return player && player->GetEntityNumber() >= 0 ? player : nullptr;
}

int32_t ItemSlotTimerGroup(const ItemClient& item)
{
    return item.GetEntry() ? item.GetEntry()->GetInt("ItemTimer") : -1;
}

float ItemSlotTimerTime(const ItemClient& item)
{
    return item.GetDefinition() ? item.GetDefinition()->itemTimerTime : 0.0f;
}

std::string ItemSlotColorCode(int32_t index)
{
    return StringFormat("%c%c%03d", '^', 'c', index);
}

} // namespace

// ---- Icon ----

void UIItemSlot::Update(float seconds)
{
    UIWidget::Update(seconds);
    if (index == -1)
        return;
    const ItemClient* item = GetItem();
    if ((item ? item->GetEntry() : nullptr) != shownDefinition)
        RefreshIcon();
}

void UIItemSlot::RefreshIcon()
{
    if (gUISystem && gUISystem->dragWidget == this)
        gUISystem->dragWidget = nullptr;
    const ItemClient* item = GetItem();
    if (!item) {
        SetTexture(!emptyTexture.empty() ? emptyTexture : hideIfEmpty ? std::string() : "Textures/black.tga");
        color = emptyColor;
        shownDefinition = nullptr;
        return;
    }
    shownDefinition = item->GetEntry();
    SetTexture(IconName(*item));
    color = ItemSlotColor(kItemSlotWhite);
}

std::string UIItemSlot::IconName(const ItemClient& item) const
{
    const DatabaseEntry* entry = item.GetEntry();
    if (!entry)
        return {};
    int32_t rarity = item.GetQuality();
    bool hidden = group == InventoryGroupIndex::Loot && IsGambleCase() && CounterpartFlag("Vendor") &&
                  (rarity == ItemRarity::Set || rarity == ItemRarity::Unique || rarity == ItemRarity::Artifact);
    auto chain = entry->GetBaseChain();
    size_t depth = rarity == ItemRarity::Artifact ? 1 : 0;
    if (hidden && chain.size() > depth && chain[depth]) {
        std::string baseName = chain[depth]->GetString("TextureName");
        if (!baseName.empty())
            return baseName;
    }
    return entry->GetString("TextureName");
}

// ---- Drawing ----

void UIItemSlot::Draw()
{
    UIWidget::Draw();
    PlayerClient* player = ItemSlotDrawPlayer();
    if (!player || !gScreenText || !IsVisible())
        return;
    DrawOverlays(*player, GetItem());
}

void UIItemSlot::DrawOverlays(const PlayerClient& player, const ItemClient* item)
{
    float x = GetScreenPosition().x;
    float y = GetScreenPosition().y;
    float share = item ? CooldownLeft(*item) : 0.0f;
    if (share > 0.0f) {
        Color black = ItemSlotColor(kItemSlotBlack);
        Renderer::DrawPieQuad(cooldownTexture, black, x, y, size[0], size[1], 0.5f, share);
    }
    if (item && player.GetStats() && !item->MeetsRequirements(*player.GetStats()))
        gScreenText->DrawShaderRect(tintTexture, ItemSlotColor(kItemSlotRed), x, y, x + size[0], y + size[1], 0.25f,
                                    false, false, 0);
    if (item)
        DrawCounts(*item);
    bool gambleLoot = group == InventoryGroupIndex::Loot && IsGambleCase() && CounterpartFlag("Vendor");
    bool outlines = gUISystem && gUISystem->settings.showItemRarityOutlines;
    if (!DrawDropHighlight() && item && outlines && !gambleLoot)
        gScreenText->DrawShaderRect(outlineTexture, ItemSlotColor(kItemSlotWhite), x, y, x + size[0], y + size[1],
                                    1.0f, false, false, 0);
    if (item && item->IsUnidentified() && !IsGambleCase())
        gScreenText->DrawShaderRect(unidentifiedTexture, ItemSlotColor(kItemSlotWhite), x, y, x + size[0],
                                    y + size[1], 1.0f, false, false, 0);
}

void UIItemSlot::DrawCounts(const ItemClient& item)
{
    float x = GetScreenPosition().x;
    float y = GetScreenPosition().y;
    Color white = ItemSlotColor(kItemSlotWhite);
    if (item.IsStackable() && !item.IsEndlessStack()) {
        // The corner's place suits the small font; a count in a larger one (a quick-use slot's copy
        // takes the default font) is moved up and left by what it is larger, or it ran down out of
        // the slot over the bar below.
        std::string count = StringFormat("%d", item.GetStackCount());
        TextSize measured = MeasureTextA(count, font);
        gScreenText->DrawTextNarrow(font, count, static_cast<int32_t>(x + size[0] - std::max(10.0f, measured.width)),
                                    static_cast<int32_t>(y + size[1] - std::max(10.9f, measured.height)), white,
                                    false, 1.0f);
    }
    int32_t contents = -1;
    const InventoryBase* inventory = GetBagContents(contents);
    if (itemSlotType != ItemSlotType::Bag || !inventory)
        return;
    std::string fill = StringFormat("%d/%d", inventory->CountItems(contents), inventory->GetSlotCount(contents));
    TextSize measured = MeasureTextA(fill, font);
    gScreenText->DrawTextNarrow(font, fill, static_cast<int32_t>(x + size[0] * 0.5f - measured.width * 0.5f),
                                static_cast<int32_t>(y + size[1] - measured.height), white, false, 1.0f);
}

bool UIItemSlot::DrawDropHighlight()
{
    UIItemSlot* dragged = gUISystem ? dynamic_cast<UIItemSlot*>(gUISystem->dragWidget) : nullptr;
    const ItemClient* carried = dragged ? dragged->GetItem() : nullptr;
    if (!carried)
        return false;
    bool ownGroup = group == InventoryGroupIndex::Main || group == InventoryGroupIndex::Equipment ||
                    group == InventoryGroupIndex::House || group == InventoryGroupIndex::Bookshelf;
    bool lootGroup = group == InventoryGroupIndex::Loot &&
                     (itemSlotType == ItemSlotType::Bag || itemSlotType == ItemSlotType::Chest ||
                      itemSlotType == ItemSlotType::HandPrimary || itemSlotType == ItemSlotType::HandSecondary);
    int32_t forced = carried->GetDefinition() ? carried->GetDefinition()->forcedItemSlot : -1;
    if (!(ownGroup || lootGroup) || !TypeTakes(*carried, itemSlotType) || (forced != -1 && forced != index))
        return true;
    float x = GetScreenPosition().x;
    float y = GetScreenPosition().y;
    gScreenText->DrawShaderRect(MayHold(carried) ? highlightTexture : highlightBadTexture, ItemSlotColor(kItemSlotWhite),
                                x, y, x + size[0], y + size[1], 1.0f, false, false, 0);
    return true;
}

bool UIItemSlot::IsCoolingDown() const
{
    const ItemClient* item = GetItem();
    return item && CooldownLeft(*item) > 0.0f;
}

float UIItemSlot::CooldownLeft(const ItemClient& item) const
{
    float total = ItemSlotTimerTime(item);
    PlayerClient* player = ItemSlotDrawPlayer();
    RandomTimer* timer = player ? player->GetItemTimer(ItemSlotTimerGroup(item)) : nullptr;
    if (!(total > 0.0f) || !timer || !timer->running)
        return 0.0f;
    return timer->remaining / total;
}

// ---- Tooltip ----

bool UIItemSlot::GetHelpText(int32_t x, int32_t y, std::string& text, std::string& title)
{
    PlayerClient* player = ItemSlotDrawPlayer();
    if (!player)
        return false;
    const ItemClient* item = GetItem();
    if (!item) {
        if (hideIfEmpty)
            return UIWidget::GetHelpText(x, y, text, title);
        // A place for one kind of thing (armour, a ring, a relic) says what it waits for; a cell
        // that takes anything is only empty.
        const char* type = SlotTypeName(itemSlotType);
        text = StringFormat("$$%sItemSlot$$", type);
        if (itemSlotType != ItemSlotType::General && itemSlotType != ItemSlotType::None)
            text += StringFormat("\n$$EmptySlotHolds$$ $$%sOnlyHold$$", type);
        return true;
    }
    ItemTooltipOptions options;
    options.viewerStats = player->GetStats();
    options.vendorGoods = vendorSlot;
    options.vendorFactor = VendorPriceFactor(*item);
    options.gamble = IsGambleCase();
    options.tomeShelved = IsShelvedTome(*player, *item);
    text.clear();
    item->BuildTooltip(options, text);
    bool offersPercents = item->IsIdentified() &&
                          (item->GetIntAt(CharacterStat::ItemsChance) > 0 || item->GetIntAt(CharacterStat::MagicChance) > 0);
    if (offersPercents && gUISystem)
        gUISystem->AddHelpTopic("FindCombatPercents");
    AppendCooldownLine(*item, text);
    // What the player (or the chosen recruit, or the chosen house post) has in its place, in the
    // box beside; an item already worn or standing in the house is its own comparison.
    if (group != InventoryGroupIndex::Equipment && group != InventoryGroupIndex::House) {
        // The worn item beside a wager is the player's own, never part of the gamble.
        ItemTooltipOptions worn = options;
        worn.gamble = false;
        player->BuildEquippedComparison(item, worn, title);
    }
    return true;
}

bool UIItemSlot::IsShelvedTome(const PlayerClient& player, const ItemClient& item)
{
    int32_t forced = item.GetDefinition() ? item.GetDefinition()->forcedItemSlot : -1;
    return item.GetItemType() == ItemType::Tome && forced >= 0 &&
           player.GetInventory().GetItem(InventoryGroupIndex::Bookshelf, forced) != nullptr;
}

std::string UIItemSlot::CooldownText(const ItemClient& item) const
{
    if (!(ItemSlotTimerTime(item) > 0.0f))
        return {};
    PlayerClient* player = ItemSlotDrawPlayer();
    RandomTimer* timer = player ? player->GetItemTimer(ItemSlotTimerGroup(item)) : nullptr;
    float left = timer && timer->running ? timer->remaining : 0.0f;
    int32_t seconds = static_cast<int32_t>(std::ceil(left));
    if (seconds == 1)
        return "$$CantUseForAnotherSecond$$";
    return seconds > 1 ? MakeLocToken("CantUseForAnotherXSeconds", "%d", seconds) : std::string();
}

void UIItemSlot::AppendCooldownLine(const ItemClient& item, std::string& out) const
{
    if (!(ItemSlotTimerTime(item) > 0.0f))
        return;
    std::string wait = CooldownText(item);
    out += ItemSlotColorCode(kItemSlotRed);
    if (!wait.empty())
        out += "\n" + wait;
    out += ItemSlotColorCode(kItemSlotPop);
}

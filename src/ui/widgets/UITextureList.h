// UITextureList -- a scrolling column of the pictures (or model thumbnails with their names) of one asset folder named by a user var; clicks and hovering write the entry's name into user vars.
#pragma once

#include "core/UserVarRef.h"
#include "resources/ResourceHandle.h"
#include "ui/UIWidget.h"

#include <cstdint>
#include <string>
#include <vector>

class UIScrollBar;

// Main thread. Rebuilt whenever its folder user var changes; owns the handles of its entries.
class UITextureList : public UIWidget {
public:
    // Units between one entry and the next.
    static constexpr float kEntryGap = 4.0f;
    static constexpr int32_t kDefaultModelPose = 4;

    UITextureList();
    ~UITextureList() override;

    void Draw() override;
    void Update(float seconds) override;
    void SetVisible(bool on) override;
    void OnClick(int32_t button, bool down, int32_t x, int32_t y) override;
    // Rebuilds the list instead of writing the user var.
    void ApplyUserVar() override;
    // Makes the scroll bar along the list's right edge.
    void OnAttach() override;
    bool ReadProperty(const std::string& key, TextParser& parser) override;
    UIWidget* NewOfSameKind() const override { return new UITextureList(); }
    void CopyFrom(const UIWidget& source) override;

    void BuildList();
    // autoScaleModelSize over the model's size when the model is larger, else 1.
    float GetModelScale(const ResourceHandle& handle) const;
    // Entries a page holds; 0 without an entry height.
    int32_t GetPageSize() const;
    int32_t GetFirstShown() const;
    // -1 for an empty list.
    int32_t GetLastShown() const;
    // The entry at the screen y; -1 for none.
    int32_t GetEntryAt(float y) const;
    const std::vector<std::string>& GetNames() const { return names; }
    UIScrollBar* GetScrollBar() const { return scrollBar; }

    std::string folderPath;
    std::string lastFolder;
    float elementSize[2] = {0.0f, 0.0f};
    UserVarRef textureUserVar;
    UserVarRef textureUserVarAlt;
    UserVarRef highlightUserVar;
    UIScrollBar* scrollBar = nullptr;
    bool useModels = false;
    // The direction, 0..7, the model thumbnails face; the area editor's rotation commands set it.
    int32_t modelPose = kDefaultModelPose;
    ResourceHandle outline;
    float autoScaleModelSize = 0.0f;

private:
    void ReleaseElements();
    void DrawModelThumbnail(const ResourceHandle& handle, float x, float y) const;
    bool CursorOver(float& y) const;
    void SetEntryName(const UserVarRef& var, int32_t entry) const;

    // The entries' resource names and handles, in name order.
    std::vector<std::string> names;
    std::vector<ResourceHandle> elements;
};

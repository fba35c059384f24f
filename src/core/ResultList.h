#pragma once
// The list-view operations that listings and result actions rely on, and an in-memory list
// that holds them (the window's item model builds on it).
#include <memory>
#include <vector>

#include "platform/Text.h"

class TFileInfo;

// The texts of a row that keeps its own.
struct TItemTexts {
    Text Caption;                // the first column
    std::vector<Text> SubItems;  // the further columns, in order
};

// A row. A list can hold 100,000s of file rows, so a row of the File Clones list keeps no
// texts: ItemText (ResultRows.h) makes them from its record when they are shown or written.
struct TListItem {
    TListItem() = default;
    // A row that shows the texts given, such as a row of the Folder Clones list.
    TListItem(Text caption, std::vector<Text> subItems, int groupId = -1, bool checked = false,
              const TFileInfo* data = nullptr);
    TListItem(const TListItem& other);
    TListItem& operator=(const TListItem& other);
    TListItem(TListItem&&) noexcept = default;
    TListItem& operator=(TListItem&&) noexcept = default;

    std::unique_ptr<TItemTexts> Texts;  // none: the texts are made from the record
    int GroupId = -1;                   // -1: in no group
    bool Checked = false;
    const TFileInfo* Data = nullptr;  // not owned
};
static_assert(sizeof(TListItem) <= 2 * sizeof(void*) + 8, "a file row is two pointers and marks");

struct TListGroup {
    int GroupId = -1;
    Text Header;
};

class TResultList {
public:
    virtual ~TResultList() = default;

    virtual int ColumnCount() const = 0;
    virtual Text ColumnCaption(int column) const = 0;
    virtual void SetColumnCaption(int column, const Text& caption) = 0;

    virtual bool GroupView() const = 0;
    virtual void SetGroupView(bool on) = 0;

    virtual void AddGroup(int groupId, const Text& header) = 0;
    virtual int GroupCount() const = 0;
    virtual const TListGroup& GroupAt(int index) const = 0;
    // Later groups move up; items are not touched.
    virtual void DeleteGroup(int index) = 0;

    // Removes every item; groups stay.
    virtual void ClearItems() = 0;
    // Appends an item at the end.
    virtual void AddItem(TListItem item) = 0;
    virtual int ItemCount() const = 0;
    virtual const TListItem& ItemAt(int index) const = 0;
    virtual void SetChecked(int index, bool checked) = 0;
    // Later items move up one index; the item's group stays, even when left empty.
    virtual void DeleteItem(int index) = 0;
    // The one selected item, or -1.
    virtual int SelectedIndex() const = 0;

    // Balanced; changes in between show once the outermost end is reached.
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
    virtual void SetRedraw(bool on) = 0;
    virtual void Invalidate() = 0;
};

// Deletes every group of a list, the first one each time; items are not touched.
void ClearListGroups(TResultList& list);

// Redraw off, an item update begun, group view off; the saved flag restores it.
void BeginListUpdate(TResultList& list, bool& savedGroupView);
void EndListUpdate(TResultList& list, bool savedGroupView);

// BeginListUpdate now, EndListUpdate on every way out of the scope.
class TListUpdateGuard {
public:
    explicit TListUpdateGuard(TResultList& list) : FList(list) { BeginListUpdate(FList, FSaved); }
    ~TListUpdateGuard() { EndListUpdate(FList, FSaved); }
    TListUpdateGuard(const TListUpdateGuard&) = delete;
    TListUpdateGuard& operator=(const TListUpdateGuard&) = delete;

private:
    TResultList& FList;
    bool FSaved = true;
};

// Item updates begun now and ended on every way out of the scope.
class TItemUpdateGuard {
public:
    explicit TItemUpdateGuard(TResultList& list) : FList(list) { FList.BeginUpdate(); }
    ~TItemUpdateGuard() { FList.EndUpdate(); }
    TItemUpdateGuard(const TItemUpdateGuard&) = delete;
    TItemUpdateGuard& operator=(const TItemUpdateGuard&) = delete;

private:
    TResultList& FList;
};

class TMemoryResultList : public TResultList {
public:
    explicit TMemoryResultList(std::vector<Text> columns = {});

    int ColumnCount() const override { return static_cast<int>(FColumns.size()); }
    Text ColumnCaption(int column) const override { return FColumns.at(column); }
    void SetColumnCaption(int column, const Text& caption) override;
    bool GroupView() const override { return FGroupView; }
    void SetGroupView(bool on) override { FGroupView = on; }
    void AddGroup(int groupId, const Text& header) override;
    int GroupCount() const override { return static_cast<int>(FGroups.size()); }
    const TListGroup& GroupAt(int index) const override { return FGroups.at(index); }
    void DeleteGroup(int index) override;
    void ClearItems() override;
    void AddItem(TListItem item) override;
    int ItemCount() const override { return static_cast<int>(FItems.size()); }
    const TListItem& ItemAt(int index) const override { return FItems.at(index); }
    void SetChecked(int index, bool checked) override;
    void DeleteItem(int index) override;
    int SelectedIndex() const override { return FSelected; }
    void BeginUpdate() override { ++FUpdateDepth; }
    void EndUpdate() override;
    void SetRedraw(bool on) override { FRedraw = on; }
    void Invalidate() override {}

    void SetSelectedIndex(int index) { FSelected = index; }
    int UpdateDepth() const { return FUpdateDepth; }
    bool Redraw() const { return FRedraw; }

protected:
    std::vector<Text> FColumns;
    std::vector<TListGroup> FGroups;
    std::vector<TListItem> FItems;
    bool FGroupView = true;
    bool FRedraw = true;
    int FUpdateDepth = 0;
    int FSelected = -1;
};

#include "core/ResultList.h"

TListItem::TListItem(Text caption, std::vector<Text> subItems, int groupId, bool checked,
                     const TFileInfo* data)
    : Texts(std::make_unique<TItemTexts>(TItemTexts{std::move(caption), std::move(subItems)})),
      GroupId(groupId),
      Checked(checked),
      Data(data) {}

TListItem::TListItem(const TListItem& other)
    : Texts(other.Texts ? std::make_unique<TItemTexts>(*other.Texts) : nullptr),
      GroupId(other.GroupId),
      Checked(other.Checked),
      Data(other.Data) {}

TListItem& TListItem::operator=(const TListItem& other) {
    if (this != &other)
        *this = TListItem(other);
    return *this;
}

void ClearListGroups(TResultList& list) {
    while (list.GroupCount() > 0)
        list.DeleteGroup(0);
}

TMemoryResultList::TMemoryResultList(std::vector<Text> columns) : FColumns(std::move(columns)) {}

void TMemoryResultList::SetColumnCaption(int column, const Text& caption) {
    FColumns.at(column) = caption;
}

void TMemoryResultList::AddGroup(int groupId, const Text& header) {
    FGroups.push_back({groupId, header});
}

void TMemoryResultList::DeleteGroup(int index) {
    FGroups.at(index);  // raises for an index out of range
    FGroups.erase(FGroups.begin() + index);
}

void TMemoryResultList::ClearItems() {
    FItems.clear();
    FSelected = -1;
}

void TMemoryResultList::AddItem(TListItem item) {
    FItems.push_back(std::move(item));
}

void TMemoryResultList::SetChecked(int index, bool checked) {
    FItems.at(index).Checked = checked;
}

void TMemoryResultList::DeleteItem(int index) {
    FItems.at(index);  // raises for an index out of range
    FItems.erase(FItems.begin() + index);
    if (FSelected == index)
        FSelected = -1;
    else if (FSelected > index)
        --FSelected;
}

void TMemoryResultList::EndUpdate() {
    if (FUpdateDepth > 0)
        --FUpdateDepth;
}

void BeginListUpdate(TResultList& list, bool& savedGroupView) {
    savedGroupView = list.GroupView();
    list.SetRedraw(false);
    list.BeginUpdate();
    list.SetGroupView(false);
}

void EndListUpdate(TResultList& list, bool savedGroupView) {
    list.EndUpdate();
    list.SetGroupView(savedGroupView);
    list.SetRedraw(true);
    list.Invalidate();
}

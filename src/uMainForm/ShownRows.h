#pragma once
// The rows a result list shows (all of them without a filter), in item order, as a list of
// their own: the check-mark commands act on what is in view. Marks go through to the list;
// it is never changed in any other way through here.
#include <algorithm>
#include <stdexcept>
#include <vector>

#include "core/ResultList.h"
#include "uMainForm/ResultModel.h"

class TShownRows : public TResultList {
public:
    explicit TShownRows(TResultModel& list) : FList(list) {
        FList.Publish();
        for (int i = 0; i < FList.ItemCount(); ++i)
            if (FList.Filter().isEmpty() || FList.IsShown(i))
                FItems.push_back(i);
    }

    int ColumnCount() const override { return FList.ColumnCount(); }
    Text ColumnCaption(int column) const override { return FList.ColumnCaption(column); }
    bool GroupView() const override { return FList.GroupView(); }
    int GroupCount() const override { return FList.GroupCount(); }
    const TListGroup& GroupAt(int index) const override { return FList.GroupAt(index); }
    int ItemCount() const override { return static_cast<int>(FItems.size()); }
    const TListItem& ItemAt(int index) const override { return FList.ItemAt(FItems.at(index)); }
    void SetChecked(int index, bool checked) override {
        FList.SetChecked(FItems.at(index), checked);
    }
    int SelectedIndex() const override {
        const auto found = std::lower_bound(FItems.begin(), FItems.end(), FList.SelectedIndex());
        return found != FItems.end() && *found == FList.SelectedIndex()
                   ? static_cast<int>(found - FItems.begin())
                   : -1;
    }
    void BeginUpdate() override { FList.BeginUpdate(); }
    void EndUpdate() override { FList.EndUpdate(); }
    void SetRedraw(bool on) override { FList.SetRedraw(on); }
    void Invalidate() override { FList.Invalidate(); }

    void SetColumnCaption(int, const Text&) override { Refuse(); }
    void SetGroupView(bool) override { Refuse(); }
    void AddGroup(int, const Text&) override { Refuse(); }
    void DeleteGroup(int) override { Refuse(); }
    void ClearItems() override { Refuse(); }
    void AddItem(TListItem) override { Refuse(); }
    void DeleteItem(int) override { Refuse(); }

private:
    [[noreturn]] static void Refuse() {
        throw std::logic_error("the shown rows of a result list take marks only");
    }

    TResultModel& FList;
    std::vector<int> FItems;
};

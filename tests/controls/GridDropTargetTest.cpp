#include <gtest/gtest.h>

#include "GridTestSupport.h"
#include "controls/grid/GridDropTarget.h"

namespace {

class GridDropTargetTest : public gridtest::OwnerTest {};

}  // namespace

TEST_F(GridDropTargetTest, OnlyGridsAreTakenAndOnlyTheirDragsGoOn) {
  CGridCtrl grid;
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 200, 100));
  gridtest::Shape(grid, 3, 3, 0, 0, 20, 50);
  grid.EnableDragAndDrop(TRUE);

  CGridDropTarget target;
  EXPECT_FALSE(target.Register(&owner));
  EXPECT_FALSE(target.IsRegistered());
  // The grid registered its own target when its window was sized.
  EXPECT_FALSE(target.Register(&grid));

  const CPoint cell = gridtest::CellCentre(grid, 1, 1);
  EXPECT_EQ(target.OnDragScroll(&grid, MK_CONTROL, cell), DROPEFFECT_COPY);
  EXPECT_EQ(target.OnDragScroll(&grid, 0, cell), DROPEFFECT_MOVE);
  EXPECT_EQ(target.OnDragScroll(&owner, MK_CONTROL, cell), DROPEFFECT_NONE);

  COleDataObject text({{CF_TEXT, {'t', 0}}});
  EXPECT_EQ(target.OnDragEnter(&owner, &text, 0, cell), DROPEFFECT_NONE);
  EXPECT_EQ(target.OnDragOver(&owner, &text, 0, cell), DROPEFFECT_NONE);
  EXPECT_FALSE(target.OnDrop(&owner, &text, DROPEFFECT_MOVE, cell));
  EXPECT_EQ(grid.GetItemText(1, 1), L"");

  EXPECT_EQ(target.OnDragEnter(&grid, &text, MK_CONTROL, cell), DROPEFFECT_COPY);
  EXPECT_TRUE(grid.GetItemState(1, 1) & GCS_DROPHILITED);
  target.OnDragLeave(&grid);
  EXPECT_FALSE(grid.GetItemState(1, 1) & GCS_DROPHILITED);
  EXPECT_EQ(target.OnDragOver(&grid, &text, 0, cell), DROPEFFECT_MOVE);
  EXPECT_TRUE(target.OnDrop(&grid, &text, DROPEFFECT_MOVE, cell));
  EXPECT_EQ(grid.GetItemText(1, 1), L"t");

  // A grid whose window goes gives up its target, and a new window takes one again.
  grid.DestroyWindow();
  ASSERT_TRUE(gridtest::CreateGrid(grid, owner, 200, 100));
  EXPECT_EQ(plat::test::DragFromOutside({{CF_TEXT, {'u', 0}}}, {{plat::DragStep::Enter, &grid, cell, 0},
                                                                 {plat::DragStep::Over, &grid, cell, 0},
                                                                 {plat::DragStep::Drop, &grid, cell, 0}}),
            DROPEFFECT_MOVE);
  EXPECT_EQ(grid.GetItemText(1, 1), L"u");
}

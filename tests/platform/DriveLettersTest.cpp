// Letters stay with their volumes while they are mounted: a volume mounted later takes a free
// letter instead of moving the others, and a letter freed by an unmount is taken again.
#include <gtest/gtest.h>

#include "platform/DriveLetters.h"

TEST(DriveLettersTest, AMountedVolumeKeepsItsLetterAndNewOnesTakeTheLowestFree) {
  plat::DriveLetterBook book;
  const plat::MountedVolume data{"/dev/sda2", "/mnt/data/"};
  const plat::MountedVolume stick{"/dev/sdc1", "/media/u/STICK/"};
  const plat::MountedVolume card{"/dev/sdb1", "/media/u/CARD/"};
  EXPECT_EQ(book.Assign({data, stick}), (std::vector<char>{'D', 'E'}));
  // The card's mount point sorts before the stick's: by order alone it would take E.
  EXPECT_EQ(book.Assign({card, data, stick}), (std::vector<char>{'F', 'D', 'E'}));
  EXPECT_EQ(book.Assign({card, stick}), (std::vector<char>{'F', 'E'}));
  const plat::MountedVolume other{"/dev/sdd1", "/media/u/OTHER/"};
  EXPECT_EQ(book.Assign({card, other, stick}), (std::vector<char>{'F', 'D', 'E'}));
  // The same device mounted elsewhere is another volume.
  EXPECT_EQ(book.Assign({{"/dev/sdb1", "/mnt/card/"}}), std::vector<char>{'D'});

  std::vector<plat::MountedVolume> many;
  for (int i = 0; i < 25; ++i) many.push_back({"/dev/x" + std::to_string(i), "/m" + std::to_string(i) + "/"});
  const std::vector<char> letters = book.Assign(many);
  EXPECT_EQ(letters.front(), 'D');
  EXPECT_EQ(letters[22], 'Z');
  EXPECT_EQ(letters[23], 0);  // no letter left
  EXPECT_EQ(letters[24], 0);
}

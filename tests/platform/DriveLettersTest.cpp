// Letters stay with their volumes while they are mounted: a volume mounted later takes a free
// letter instead of moving the others, and a letter freed by an unmount is taken again.
#include <gtest/gtest.h>

#include "platform/DriveLetters.h"

TEST(DriveLettersTest, AMountedVolumeKeepsItsLetterAndNewOnesTakeTheLowestFree) {
  plat::DriveLetterBook book;
  const plat::MountedVolume data{"/dev/sda2", "/mnt/data/"}, stick{"/dev/sdc1", "/media/u/STICK/"};
  const plat::MountedVolume card{"/dev/sdb1", "/media/u/CARD/"}, other{"/dev/sdd1", "/media/u/OTHER/"};
  EXPECT_EQ(book.Assign({data, stick}), (std::vector<char>{'D', 'E'}));
  EXPECT_EQ(book.Assign({card, data, stick}), (std::vector<char>{'F', 'D', 'E'}));  // not E by its place
  EXPECT_EQ(book.Assign({card, other, stick}), (std::vector<char>{'F', 'D', 'E'}));
  std::vector<plat::MountedVolume> many(25, card);
  for (size_t i = 0; i < many.size(); ++i) many[i].mountPoint = "/m" + std::to_string(i) + "/";
  const std::vector<char> letters = book.Assign(many);  // the same device elsewhere is another volume
  EXPECT_EQ(std::vector<char>(letters.begin() + 21, letters.end()), (std::vector<char>{'Y', 'Z', 0, 0}));
}

// Cell addresses of the grid: one cell (CCellID) and a rectangle of cells (CCellRange). An
// address of -1 means "none"; an address may lie outside the table, and every grid operation
// tests it before use.
#pragma once

class CCellID {
 public:
  explicit CCellID(int nRow = -1, int nCol = -1) : row(nRow), col(nCol) {}

  bool IsValid() const { return row >= 0 && col >= 0; }
  bool operator==(const CCellID& other) const { return row == other.row && col == other.col; }
  bool operator!=(const CCellID& other) const { return !(*this == other); }
  // Whether the address differs from (nRow, nCol).
  bool IsNot(int nRow, int nCol) const { return row != nRow || col != nCol; }

  int row;
  int col;
};

class CCellRange {
 public:
  explicit CCellRange(int nMinRow = -1, int nMinCol = -1, int nMaxRow = -1, int nMaxCol = -1) {
    Set(nMinRow, nMinCol, nMaxRow, nMaxCol);
  }

  void Set(int nMinRow, int nMinCol, int nMaxRow, int nMaxCol) {
    m_nMinRow = nMinRow;
    m_nMinCol = nMinCol;
    m_nMaxRow = nMaxRow;
    m_nMaxCol = nMaxCol;
  }

  bool IsValid() const {
    return m_nMinRow >= 0 && m_nMinCol >= 0 && m_nMaxRow >= 0 && m_nMaxCol >= 0 && m_nMinRow <= m_nMaxRow &&
           m_nMinCol <= m_nMaxCol;
  }
  bool InRange(int row, int col) const {
    return row >= m_nMinRow && row <= m_nMaxRow && col >= m_nMinCol && col <= m_nMaxCol;
  }
  bool InRange(const CCellID& cell) const { return InRange(cell.row, cell.col); }
  CCellID GetTopLeft() const { return CCellID(m_nMinRow, m_nMinCol); }

  int GetMinRow() const { return m_nMinRow; }
  int GetMinCol() const { return m_nMinCol; }
  int GetMaxRow() const { return m_nMaxRow; }
  int GetMaxCol() const { return m_nMaxCol; }
  void SetMinRow(int row) { m_nMinRow = row; }
  void SetMinCol(int col) { m_nMinCol = col; }
  void SetMaxRow(int row) { m_nMaxRow = row; }
  void SetMaxCol(int col) { m_nMaxCol = col; }

 private:
  int m_nMinRow;
  int m_nMinCol;
  int m_nMaxRow;
  int m_nMaxCol;
};

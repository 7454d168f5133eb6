// Geometry of the wizard's layouts (pure): the page area of the classic layout, of the modern
// header and of the modern big picture, the picture panel and the picture in it, and where a
// control of a sheet (designed for the classic 370 x 275 page) lands in a page area.
#pragma once
#include "Layout.h"

namespace zk {

inline constexpr int WizardClientWidth = 515;
inline constexpr int WizardClientHeight = 351;
inline constexpr int SheetDesignWidth = 370;
inline constexpr int SheetDesignHeight = 275;
inline constexpr int Bevel1Top = 307;
inline constexpr int HeaderHeight = 58; // the white header panel; Bevel2 lies below it
inline constexpr int Bevel2Height = 2;

Box ClassicPageArea(int clientWidth);
// Width of the picture panel beside a picture of that width: one more, within 120 .. 160.
int BigPicturePanelWidth(int imageWidth);
Box BigPicturePageArea(int clientWidth, int panelWidth);
Box ModernHeaderPageArea(int clientWidth);
// The picture centred in its panel, never above or left of the panel's corner.
Box CenteredImage(int panelWidth, int panelHeight, int imageWidth, int imageHeight);
// The header icon right-aligned with a right margin equal to its vertical margin.
Box HeaderImage(int clientWidth, int imageWidth, int imageHeight);
// The tab control inside the page area: its tab row lies below the area, never seen.
Box TabControlBox(const Box& area);

// A sheet control's design box (sheet coordinates) in the form: moved to the area; a page
// area lower than the design squeezes the tops and the tall controls proportionally, and
// `stretch` widens the control by what the area has more (or less) than the design width.
Box SheetControlBox(const Box& design, const Box& area, bool stretch);

} // namespace zk

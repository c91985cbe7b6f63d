// The legend view: the ten numeral pictures with their decimal values beneath them.
#pragma once

void draw_legend(void);

/* Case mapping of one code unit, for method names and registry keywords
 * (internal to the module: the tables are not part of its C ABI). */
#ifndef VX_SUBS_VXCASEMAP_H
#define VX_SUBS_VXCASEMAP_H

#include "../mk/vxhost.h"

VXChar vxUpperCase(VXChar c);   /* asks the host NLS above ASCII when it has one */
VXChar vxLowerCase(VXChar c);   /* tables only */
VXChar vxUpperCaseTable(VXChar c);

#endif

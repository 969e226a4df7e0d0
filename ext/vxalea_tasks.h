/* The three shared-generator tasks of runTask.  Each is called with the
 * record's sharedLock held and releases it on every path before returning. */
#ifndef VX_EXT_VXALEA_TASKS_H
#define VX_EXT_VXALEA_TASKS_H

#include "vxalea.h"

VXStatus vxaleaTaskAttach(VXALEA* ext, vxaleaPrivatePtr priv, vxaleaTaskParms* parms);
VXStatus vxaleaTaskSeed(VXALEA* ext, vxaleaPrivatePtr priv, vxaleaTaskParms* parms);
VXStatus vxaleaTaskDetach(VXALEA* ext, vxaleaPrivatePtr priv, vxaleaTaskParms* parms);

#endif

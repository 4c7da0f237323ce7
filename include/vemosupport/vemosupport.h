#pragma once

// Everything a host of the library uses, in one include. See each header for how its
// objects may be used from several threads.

#include "vemosupport/I709ConfigurationProperties.h"
#include "vemosupport/I709ConfigurationProperty.h"
#include "vemosupport/I709LMObject.h"
#include "vemosupport/I709LMObjects.h"
#include "vemosupport/I709NetworkVariable.h"
#include "vemosupport/I709NetworkVariables.h"
#include "vemosupport/I709Node.h"
#include "vemosupport/IC472VirtualCP.h"
#include "vemosupport/IC472VirtualObj.h"
#include "vemosupport/ICorvelNodeOffline.h"
#include "vemosupport/IVemoProgIDConfigInfo.h"
#include "vemosupport/IVemoProgIDInfo.h"
#include "vemosupport/IVemoProgIDItem.h"
#include "vemosupport/_C472VirtualNode.h"
#include "vemosupport/_cFactory.h"
#include "vemosupport/automation_error.h"
#include "vemosupport/byte_array.h"
#include "vemosupport/cFactory.h"
#include "vemosupport/entry_points.h"
#include "vemosupport/enumerator.h"
#include "vemosupport/host.h"
#include "vemosupport/object.h"
#include "vemosupport/variant.h"
#include "vemosupport/version.h"

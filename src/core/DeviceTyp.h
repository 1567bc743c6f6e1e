#pragma once
// The detector configuration of the instrument, from key DeviceTyp of the settings file.

namespace zelvo {

enum class TDeviceTyp { FID = 0, FPD = 1, FIDFPD = 2 };

}  // namespace zelvo

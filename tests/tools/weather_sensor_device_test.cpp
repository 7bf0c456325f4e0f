// Drives the stand-in's weather sensor model with frames and line settings
// directly, and makes it from --device values as the command line does.
#include "rs485_stand_in/weather_sensor_device.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "rs485_stand_in/device_kinds.h"
#include "rs485_stand_in/line_settings.h"
#include "rs485_stand_in/modbus_crc.h"

namespace stand_in {
namespace {

using Bytes = std::vector<uint8_t>;
using Answer = std::optional<Bytes>;

LineSettings Line(uint8_t baudCode, uint8_t format) {
  LineSettings settings;
  settings.baudCode = baudCode;
  settings.format = format;
  return settings;
}

// `body` followed by its check value; the check value itself is pinned by
// ModbusCrcTest.
Bytes Framed(Bytes body) {
  AppendModbusCrc(&body);
  return body;
}

Bytes Probe(uint8_t address) { return Framed({address, 0x46, 0x05}); }
Bytes WriteLine(uint8_t address, uint8_t baud, uint8_t param) {
  return Framed({address, 0x46, 0x06, baud, param});
}
Bytes WriteAddress(uint8_t address, uint8_t newAddress) {
  return Framed({address, 0x46, 0x04, newAddress});
}
Bytes Restart(uint8_t address) {
  return Framed({address, 0x08, 0x00, 0x01, 0x00, 0x00});
}

// The line that baud setting 2 and serial-parameter setting 0 stand for.
const LineSettings kLine = Line(3, 0x03);

TEST(ModbusCrcTest, MatchesTheCheckValueAndGoesLowByteFirst) {
  const std::string check = "123456789";
  EXPECT_EQ(ModbusCrc(Bytes(check.begin(), check.end()), check.size()), 0x4B37);
  EXPECT_EQ(Framed({0x01, 0x46, 0x05}), (Bytes{0x01, 0x46, 0x05, 0xD2, 0x63}));
  EXPECT_TRUE(HasValidModbusCrc({0x01, 0x46, 0x05, 0xD2, 0x63}));
  EXPECT_FALSE(HasValidModbusCrc({0x01, 0x46, 0x05, 0x63, 0xD2}));
  EXPECT_FALSE(HasValidModbusCrc({0xFF, 0xFF}));
}

TEST(WeatherSensorDeviceTest, AnswersAProbeAtItsLineAndAddress) {
  WeatherSensorDevice sensor(1, 2, 0, 0);
  const Bytes probe = {0x01, 0x46, 0x05, 0xD2, 0x63};
  EXPECT_EQ(sensor.Answer(kLine, probe), Answer(probe));
}

TEST(WeatherSensorDeviceTest, EachSettingStandsForItsLine) {
  struct Case {
    uint8_t baud;
    uint8_t param;
    uint8_t baudCode;
    uint8_t format;
  };
  const Case cases[] = {
      {0, 0, 0, 0x03}, {1, 1, 1, 0x0B}, {2, 2, 3, 0x13},
      {3, 3, 4, 0x33}, {4, 0, 5, 0x03}, {9, 7, 3, 0x03},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("baud " + std::to_string(c.baud) + " param " +
                 std::to_string(c.param));
    WeatherSensorDevice sensor(7, c.baud, c.param, 0);
    EXPECT_EQ(sensor.Answer(Line(c.baudCode, c.format), Probe(7)),
              Answer(Probe(7)));
  }
}

TEST(WeatherSensorDeviceTest, SilentUnlessLineCheckValueAddressAndRequestFit) {
  struct Case {
    const char* what;
    std::optional<LineSettings> settings;
    Bytes frame;
  };
  const Case cases[] = {
      {"wrong check value", kLine, {0x01, 0x46, 0x05, 0xD2, 0x64}},
      {"other address", kLine, Probe(2)},
      {"wrong baud code", Line(1, 0x03), Probe(1)},
      {"wrong format", Line(3, 0x13), Probe(1)},
      {"no line settings", std::nullopt, Probe(1)},
      {"unknown function", kLine, Framed({0x01, 0x03, 0x00, 0x00, 0x00, 0x01})},
      {"unknown sub-function", kLine, Framed({0x01, 0x46, 0x07})},
      {"other diagnostics", kLine,
       Framed({0x01, 0x08, 0x00, 0x00, 0x12, 0x34})},
      {"probe with a byte more", kLine, Framed({0x01, 0x46, 0x05, 0x00})},
      {"too short", kLine, Framed({0x01})},
      {"empty", kLine, {}},
  };
  WeatherSensorDevice sensor(1, 2, 0, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(sensor.Answer(c.settings, c.frame), std::nullopt);
  }
  EXPECT_EQ(sensor.Answer(kLine, Probe(1)), Answer(Probe(1)));
}

TEST(WeatherSensorDeviceTest, AppliesWrittenSettingsOnlyAfterAnsweringRestart) {
  WeatherSensorDevice sensor(1, 2, 0, 0);
  EXPECT_EQ(sensor.Answer(kLine, WriteLine(1, 2, 1)),
            Answer(WriteLine(1, 2, 1)));
  EXPECT_EQ(sensor.Answer(kLine, WriteAddress(1, 0x0A)),
            Answer(WriteAddress(1, 0x0A)));
  EXPECT_EQ(sensor.Answer(kLine, Probe(1)), Answer(Probe(1)));
  EXPECT_EQ(sensor.Answer(kLine, Restart(1)), Answer(Restart(1)));

  const LineSettings newLine = Line(3, 0x0B);
  EXPECT_EQ(sensor.Answer(kLine, Probe(1)), std::nullopt);
  EXPECT_EQ(sensor.Answer(kLine, Probe(0x0A)), std::nullopt);
  EXPECT_EQ(sensor.Answer(newLine, Probe(1)), std::nullopt);
  EXPECT_EQ(sensor.Answer(newLine, Probe(0x0A)), Answer(Probe(0x0A)));
}

TEST(WeatherSensorDeviceTest, ValuesNotWrittenKeepTheirCurrentOnes) {
  WeatherSensorDevice sensor(1, 2, 0, 0);
  sensor.Answer(kLine, WriteAddress(1, 0x0A));
  EXPECT_EQ(sensor.Answer(kLine, Restart(1)), Answer(Restart(1)));
  EXPECT_EQ(sensor.Answer(kLine, Probe(0x0A)), Answer(Probe(0x0A)));

  sensor.Answer(kLine, WriteLine(0x0A, 4, 3));
  EXPECT_EQ(sensor.Answer(kLine, Restart(0x0A)), Answer(Restart(0x0A)));
  EXPECT_EQ(sensor.Answer(Line(5, 0x33), Probe(0x0A)), Answer(Probe(0x0A)));

  EXPECT_EQ(sensor.Answer(Line(5, 0x33), Restart(0x0A)), Answer(Restart(0x0A)));
  EXPECT_EQ(sensor.Answer(Line(5, 0x33), Probe(0x0A)), Answer(Probe(0x0A)));
}

TEST(WeatherSensorDeviceTest, IgnoresDeafFramesAfterEachRestart) {
  WeatherSensorDevice sensor(1, 2, 0, 2);
  EXPECT_EQ(sensor.Answer(kLine, Probe(1)), Answer(Probe(1)));
  for (int restart = 0; restart < 2; ++restart) {
    SCOPED_TRACE("restart " + std::to_string(restart));
    EXPECT_EQ(sensor.Answer(kLine, Restart(1)), Answer(Restart(1)));
    EXPECT_EQ(sensor.Answer(kLine, Probe(1)), std::nullopt);
    EXPECT_EQ(sensor.Answer(kLine, Probe(1)), std::nullopt);
    EXPECT_EQ(sensor.Answer(kLine, Probe(1)), Answer(Probe(1)));
  }
}

TEST(WeatherSensorKindTest, TakesAddressBaudParamAndDeafInThatOrder) {
  std::string error;
  std::optional<ChannelDevice> plain =
      MakeChannelDevice("1:weather:1:2:0", &error);
  ASSERT_TRUE(plain) << error;
  EXPECT_EQ(plain->channel, 1u);
  EXPECT_EQ(plain->device->Answer(kLine, Probe(1)), Answer(Probe(1)));

  std::optional<ChannelDevice> deaf =
      MakeChannelDevice("3:weather:10:4:3:1", &error);
  ASSERT_TRUE(deaf) << error;
  EXPECT_EQ(deaf->channel, 3u);
  const LineSettings line = Line(5, 0x33);
  EXPECT_EQ(deaf->device->Answer(line, Restart(10)), Answer(Restart(10)));
  EXPECT_EQ(deaf->device->Answer(line, Probe(10)), std::nullopt);
  EXPECT_EQ(deaf->device->Answer(line, Probe(10)), Answer(Probe(10)));
}

TEST(WeatherSensorKindTest, RejectsMalformedArguments) {
  const char* const values[] = {
      "1:weather",
      "1:weather:",
      "1:weather:1:2",
      "1:weather:x:2:0",
      "1:weather:256:2:0",
      "1:weather:1:-2:0",
      "1:weather:1::0",
      "1:weather:1:2:0:x",
      "1:weather:1:2:0:1:1",
      "1:weather:1:2:0x1",
      "1:weather:1:2:0:99999999999",
  };
  for (const char* value : values) {
    SCOPED_TRACE(value);
    std::string error;
    EXPECT_FALSE(MakeChannelDevice(value, &error));
    EXPECT_NE(error.find("weather"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
}

TEST(WeatherSensorKindTest, UsageShowsTheFormIndentedLikeTheOtherKinds) {
  const std::string usage = DeviceKindsUsage();
  EXPECT_NE(usage.find("CH:weather:ADDRESS:BAUD:PARAM[:DEAF]"),
            std::string::npos);
  std::istringstream lines(usage);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_EQ(line.rfind(std::string(24, ' '), 0), 0u) << line;
    EXPECT_LE(line.size(), 80u) << line;
  }
}

}  // namespace
}  // namespace stand_in

#include "app/port_settings.h"

#include <gtest/gtest.h>

namespace pv7100 {
namespace {

TEST(PortSettingsTest, ReadsThePanelsTwoSettings) {
  EXPECT_EQ(parseLineSettings("19200,N,8,1"),
            (LineSettings{19200, QSerialPort::NoParity, QSerialPort::Data8, QSerialPort::OneStop}));
  EXPECT_EQ(parseLineSettings("9600,N,8,1"),
            (LineSettings{9600, QSerialPort::NoParity, QSerialPort::Data8, QSerialPort::OneStop}));
}

TEST(PortSettingsTest, ReadsEveryParityDataBitsAndStopBits) {
  EXPECT_EQ(parseLineSettings("300,E,7,2"),
            (LineSettings{300, QSerialPort::EvenParity, QSerialPort::Data7, QSerialPort::TwoStop}));
  EXPECT_EQ(parseLineSettings("1200,O,5,1.5"),
            (LineSettings{1200, QSerialPort::OddParity, QSerialPort::Data5,
                          QSerialPort::OneAndHalfStop}));
  EXPECT_EQ(
      parseLineSettings("115200,M,6,1"),
      (LineSettings{115200, QSerialPort::MarkParity, QSerialPort::Data6, QSerialPort::OneStop}));
  EXPECT_EQ(
      parseLineSettings("2400,S,8,1"),
      (LineSettings{2400, QSerialPort::SpaceParity, QSerialPort::Data8, QSerialPort::OneStop}));
}

TEST(PortSettingsTest, RefusesEverythingElse) {
  for (const char* text : {"",
                           "19200",
                           "19200,N,8",
                           "19200,N,8,1,",
                           ",N,8,1",
                           "19200,,8,1",
                           "19200,N,,1",
                           "19200,N,8,",
                           "abc,N,8,1",
                           "0,N,8,1",
                           "-9600,N,8,1",
                           "+9600,N,8,1",
                           "19200.5,N,8,1",
                           "99999999999,N,8,1",
                           " 19200,N,8,1",
                           "19200 ,N,8,1",
                           "19200,X,8,1",
                           "19200,n,8,1",
                           "19200,NN,8,1",
                           "19200,N,4,1",
                           "19200,N,9,1",
                           "19200,N,8,0",
                           "19200,N,8,3",
                           "19200,N,8,1.0",
                           "19200;N;8;1"}) {
    EXPECT_EQ(parseLineSettings(text), std::nullopt) << '"' << text << '"';
  }
}

}  // namespace
}  // namespace pv7100

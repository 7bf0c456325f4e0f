#ifndef TOOL_RS485_PORT_COM_PARAMS_H_
#define TOOL_RS485_PORT_COM_PARAMS_H_

namespace tool {

// The communication service's own data-bit, stop-bit and parity codes for
// one serial-parameter setting, passed on unchanged to the port-setting
// record.
struct PortComParams {
  int dataBit;
  int stopBit;
  int parity;
};

}  // namespace tool

#endif  // TOOL_RS485_PORT_COM_PARAMS_H_

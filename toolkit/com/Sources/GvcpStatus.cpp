#include "GvcpStatus.h"

#include "KvGvcp.h"

GvcpRefusal GvcpMapStatus(uint16_t status) {
    using namespace Gvcp::Status;
    switch (status) {
        case SUCCESS:
            return {KvCode::OK, "Success"};
        case NOT_IMPLEMENTED:
            return {KvCode::NOT_IMPLEMENTED, "The device does not implement this command"};
        case INVALID_PARAMETER:
            return {KvCode::INVALID_ARGUMENT, "The device refused an invalid parameter"};
        case INVALID_ADDRESS:
            return {KvCode::INVALID_ARGUMENT, "The device refused an invalid address"};
        case WRITE_PROTECT:
            return {KvCode::READ_ONLY, "The device register is write-protected"};
        case BAD_ALIGNMENT:
            return {KvCode::INVALID_ARGUMENT, "The device refused a badly aligned address or size"};
        case ACCESS_DENIED:
            return {KvCode::ACCESS_DENIED,
                    "Access denied by the device: another application controls it"};
        case BUSY:
            return {KvCode::BUSY, "The device is busy"};
        case PACKET_UNAVAILABLE:
            return {KvCode::DATA_LOST, "The device no longer holds the packet"};
        case DATA_OVERRUN:
            return {KvCode::OVERFLOW, "Data overrun in the device"};
        case INVALID_HEADER:
            return {KvCode::PROTOCOL, "The device refused the packet header"};
        default:
            return {KvCode::REFUSED, "Refused by the device"};
    }
}

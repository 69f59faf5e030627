#include "numbers/QVRUInt256.h"

#include "numbers/QVRPowersOfTen.h"

QVRUInt256 QVRUInt256::multipliedByPowerOfTen(int power) const {
  QVRUInt256 product = *this;
  for (; power > 38; power -= 38) product = product.multipliedBy(QVRPowersOfTen::uint128(38));
  return product.multipliedBy(QVRPowersOfTen::uint128(power));
}

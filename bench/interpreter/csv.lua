local f = io.open("data.csv")
local total = 0
local count = 0
for line in f:lines() do
  local comma = string.find(line, ",", 1, true)
  local name = string.sub(line, 1, comma - 1)
  line = string.sub(line, comma + 1)
  comma = string.find(line, ",", 1, true)
  local qty = string.sub(line, 1, comma - 1)
  local price = string.sub(line, comma + 1)
  total = total + tonumber(qty) * tonumber(price)
  count = count + 1
end
f:close()
print(count, total)

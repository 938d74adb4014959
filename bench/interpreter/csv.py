f = open("data.csv")
total = 0
count = 0
line = f.readline()
while line != "":
    line = line.rstrip("\n")
    comma = line.find(",")
    name = line[:comma]
    line = line[comma + 1:]
    comma = line.find(",")
    qty = line[:comma]
    price = line[comma + 1:]
    total = total + float(qty) * float(price)
    count = count + 1
    line = f.readline()
f.close()
print(count, total)
